#pragma once
// The pictures of the downloaded pages, in download order. The download runs
// on a thread of its own and appends here while the window pages through the
// list, so every access takes the list's lock. Pages are only ever appended.

#include <QImage>
#include <QList>
#include <QRect>

#include <mutex>

#include "pages/pagestrokes.h"  // g_thumbRect

class CPageList {
 public:
  void Append(const QImage& page);
  void Append(const QList<QImage>& pages);
  qsizetype Count() const;
  // A shared copy of page `index` (from 0); a null image when out of range.
  QImage At(qsizetype index) const;
  void Clear();

 private:
  mutable std::mutex m_mutex;
  QList<QImage> m_pages;
};

// Every downloaded page, for the rest of the process.
extern CPageList g_pageBitmaps;
