#pragma once
// The Xournal++ document of a download: one A4 page per downloaded page, each
// stroke the page pictures' cardinal spline cut into a fine polyline (the
// format keeps straight pieces only), black, about 0.3 mm wide. Each page
// carries its time stamp and flags as attributes that Xournal++ passes over.

#include <QString>

#include <vector>

#include "pages/downloadedpage.h"
#include "xopp/xoppdocument.h"

// How far the polyline may leave the curve, in points (0.07 mm, a quarter of
// the ink's width).
inline constexpr double kXoppCurveTolerance = 0.2;

XoppDocument PagesXopp(const QString& title, const std::vector<DownloadedPage>& pages);
