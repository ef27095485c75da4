#include "nibdl/pagetable.h"

namespace nibdl {

PageTable::~PageTable() { ReleaseOwned(); }

void PageTable::ReleaseOwned() {
  for (int i = 0; i < m_count; ++i) {
    Entry& entry = m_entries[i];
    if (!entry.handedOut) std::free(entry.points);
    entry = Entry{};
  }
  m_count = 0;
}

void PageTable::Replace(PageList pages) {
  std::lock_guard lock(m_mutex);
  ReleaseOwned();
  for (auto& page : pages) {
    if (m_count == kMaxPages) break;
    Entry& entry = m_entries[m_count++];
    entry.count = page.count;
    entry.info = PageInfo{page.timeStamp, page.flipped, page.uploaded};
    entry.points = page.points.release();
  }
}

void PageTable::Clear() {
  std::lock_guard lock(m_mutex);
  ReleaseOwned();
}

int PageTable::Count() const {
  std::lock_guard lock(m_mutex);
  return m_count;
}

bool PageTable::Take(int index, DUVOPAGE** points, int* count) {
  std::lock_guard lock(m_mutex);
  if (index < 1 || index > m_count) {
    if (points != nullptr) *points = nullptr;
    if (count != nullptr) *count = 0;
    return false;
  }
  Entry& entry = m_entries[index - 1];
  if (points != nullptr) {
    *points = entry.points;
    if (entry.points != nullptr) entry.handedOut = true;
  }
  if (count != nullptr) *count = entry.count;
  return true;
}

PageInfo PageTable::Info(int index) const {
  std::lock_guard lock(m_mutex);
  if (index < 1 || index > m_count) return {};
  return m_entries[index - 1].info;
}

void PageTable::GiveBack(DUVOPAGE* points) {
  if (points == nullptr) return;
  {
    std::lock_guard lock(m_mutex);
    for (int i = 0; i < m_count; ++i) {
      Entry& entry = m_entries[i];
      if (entry.points == points) {
        entry.points = nullptr;
        entry.count = 0;
        entry.handedOut = false;
      }
    }
  }
  std::free(points);
}

}  // namespace nibdl
