#pragma once
// Writes a document as Xournal++ saves one: XML in the element and attribute
// order of its own files, gzip-compressed.

#include <QByteArray>
#include <QColor>
#include <QImage>
#include <QString>

#include "xopp/xoppdocument.h"

// The XML of `doc` (uncompressed).
QByteArray XoppXml(const XoppDocument& doc);
// The .xopp file's bytes: the XML, gzip-compressed.
QByteArray XoppBytes(const XoppDocument& doc);
// Writes `doc` to `path` atomically (WriteFileAtomically); false with the
// reason in `error`.
bool WriteXopp(const QString& path, const XoppDocument& doc, QString* error = nullptr);

// `image` as a PNG file's bytes (an image element's content).
QByteArray PngBytes(const QImage& image);

// A colour as Xournal++ writes one: "#RRGGBBAA".
QString XoppColour(const QColor& colour);
