#pragma once
// The live note's process-wide state (one live note at a time): its pages,
// the current page and the page count, whether a live stroke is in progress,
// and the pen mode, which outlives the window.

#include <QImage>

#include <vector>

#include "note/storepageinfo.h"

extern std::vector<StorePageInfo> g_pages;
extern int g_nCurPage;    // index from 0
extern int g_nPageCount;
extern int g_bPenUp;        // 1: no live stroke in progress
extern int g_bPenModeOne;   // 1: pen mode 1 (starts 1, kept across live notes)

// The picture of page `page` (from 0) at its newest history entry: what the
// share dialog hands on. A null image when there is no such page or entry.
QImage PagePicture(int page);
