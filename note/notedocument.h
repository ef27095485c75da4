#pragma once
// The live note as a document (Xournal++'s .xopp), drawn as the canvas draws
// its pages: one document page per note page, one canvas pixel per point;
// on each page the pictures in their newest area with the squares erased
// from them, then the strokes in order (smooth curves through their points,
// in their colour and width, with the time they were written), each erased
// square whitened (a filled eraser stroke) after the strokes it reached.

#include <QImage>
#include <QSize>
#include <QString>

#include <functional>
#include <vector>

#include "note/storepageinfo.h"
#include "xopp/xoppdocument.h"

// The decoded picture of a picture file (a null image when it cannot be read).
using PictureLoader = std::function<QImage(const QString& path)>;

XoppDocument NoteDocument(const std::vector<StorePageInfo>& pages, QSize canvas,
                          const QString& title, const PictureLoader& loadPicture);

// The title of the live note document at `document` (its path).
QString NoteTitle(const QString& document);

// What a document needs of a page, without its history: cheap to copy and
// safe to hand to another thread.
StorePageInfo PageContent(const StorePageInfo& page);
