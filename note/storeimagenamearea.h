#pragma once
// One picture placed on a live note page: the file it shows and every
// rectangle it has had (newest last, where it is drawn).

#include <QRect>
#include <QString>

#include <vector>

struct StoreImageNameArea {
  QString path;
  std::vector<QRect> areas;  // canvas pixels; the newest is where the picture is drawn
  std::vector<int> marks;    // the length of `areas` at the start of each drag
};
