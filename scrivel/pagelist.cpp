#include "scrivel/pagelist.h"

CPageList g_pageBitmaps;

void CPageList::Append(const QImage& page) {
  std::lock_guard lock(m_mutex);
  m_pages.append(page);
}

void CPageList::Append(const QList<QImage>& pages) {
  std::lock_guard lock(m_mutex);
  m_pages.append(pages);
}

qsizetype CPageList::Count() const {
  std::lock_guard lock(m_mutex);
  return m_pages.size();
}

QImage CPageList::At(qsizetype index) const {
  std::lock_guard lock(m_mutex);
  return index >= 0 && index < m_pages.size() ? m_pages.at(index) : QImage();
}

void CPageList::Clear() {
  std::lock_guard lock(m_mutex);
  m_pages.clear();
}
