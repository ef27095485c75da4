#include "note/picturehistory.h"

namespace {

bool NamesPicture(const StorePageInfo& page, int i) {
  return i >= 0 && size_t(i) < page.pictures.size() && size_t(i) < page.pictureCopies.size();
}

void MoveLastArea(StoreImageNameArea& from, StoreImageNameArea& to) {
  to.areas.push_back(from.areas.back());
  from.areas.pop_back();
}

}  // namespace

void RevokePicture(StorePageInfo& page, int i) {
  if (!NamesPicture(page, i)) return;
  StoreImageNameArea& picture = page.pictures[size_t(i)];
  StoreImageNameArea& copy = page.pictureCopies[size_t(i)];
  if (picture.areas.empty()) return;
  copy.marks.push_back(int(copy.areas.size()));
  if (picture.marks.size() < 2) {
    // Only the addition is left to undo: every area goes (one, unless the
    // entries of its drags were merged away) and the picture disappears.
    while (!picture.areas.empty()) MoveLastArea(picture, copy);
    picture.marks.clear();
    return;
  }
  // The newest drag: its areas go, back to the length at its start.
  while (picture.marks.back() < int(picture.areas.size())) MoveLastArea(picture, copy);
  picture.marks.pop_back();
}

void RestorePicture(StorePageInfo& page, int i) {
  if (!NamesPicture(page, i)) return;
  StoreImageNameArea& picture = page.pictures[size_t(i)];
  StoreImageNameArea& copy = page.pictureCopies[size_t(i)];
  if (copy.areas.empty()) return;
  if (copy.marks.empty()) copy.marks.push_back(0);
  picture.marks.push_back(int(picture.areas.size()));
  while (copy.marks.back() < int(copy.areas.size())) MoveLastArea(copy, picture);
  copy.marks.pop_back();
}
