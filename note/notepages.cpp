#include "note/notepages.h"

std::vector<StorePageInfo> g_pages;
int g_nCurPage = 0;
int g_nPageCount = 0;
int g_bPenUp = 1;
int g_bPenModeOne = 1;

QImage PagePicture(int page) {
  if (page < 0 || size_t(page) >= g_pages.size()) return {};
  const std::vector<StoreImage>& history = g_pages[size_t(page)].history;
  if (history.empty() || !history.back().bitmap) return {};
  return history.back().bitmap->ToImage();
}
