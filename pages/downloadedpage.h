#pragma once
// One page as the pen handed it out: its strokes in pen coordinates and what
// the pen tells about it. The page documents of a download are made of these.

#include <QString>

#include <vector>

#include "pages/pagestrokes.h"

struct DownloadedPage {
  int number = 0;                    // from 1, in download order
  std::vector<StructPointF> strokes;  // pen coordinates
  QString timeStamp;                 // the pen's "(YYYY/MM/DD hh:mm:ss)"
  bool flipped = false;              // written on the back of the sheet
  bool uploaded = false;             // the pen had handed it out before
};

// The page's line in a document's table of contents, for example
// "Page 3 (2016/03/07 09:05:00), back of the sheet, downloaded before".
QString PageCaption(const DownloadedPage& page);
