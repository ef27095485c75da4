#pragma once
// The PDF of a download: one A4 page per downloaded page, its strokes as
// vector curves (the same cardinal spline as the page pictures), black, about
// 0.3 mm wide, compressed; a table of contents (outline) names each page with
// its time stamp and flags. Written with libharu, in memory.

#include <QByteArray>
#include <QString>

#include <optional>
#include <vector>

#include "pages/downloadedpage.h"

// The document's bytes, or nullopt with a reason in *error.
std::optional<QByteArray> PagesPdf(const QString& title, const std::vector<DownloadedPage>& pages,
                                   QString* error);
