#include "media/framegrid.h"

#include <algorithm>

namespace scrivel {

FrameGrid::FrameGrid(const std::vector<int>& frameSeconds, int64_t pictureCount)
    : m_seconds(frameSeconds),
      m_count(std::max<int64_t>(0, std::min<int64_t>(pictureCount, static_cast<int64_t>(frameSeconds.size())))) {}

std::optional<int64_t> FrameGrid::Next() {
  // A picture whose second has already passed has no slot left: drop it.
  while (m_next < m_count && m_seconds[m_next] < m_second) ++m_next;
  if (m_next >= m_count) return std::nullopt;

  int64_t picture;
  if (m_seconds[m_next] == m_second) {
    picture = m_next++;
  } else {
    // No picture for this slot: repeat the last one, or show the first
    // picture ahead when nothing has been shown yet.
    picture = m_shown >= 0 ? m_shown : m_next;
  }
  m_shown = picture;
  ++m_slot;
  if (m_slot % kFramesPerSecond == 0) ++m_second;
  return picture;
}

std::vector<int64_t> PlanFrameGrid(const std::vector<int>& frameSeconds, int64_t pictureCount) {
  std::vector<int64_t> plan;
  FrameGrid grid(frameSeconds, pictureCount);
  while (auto picture = grid.Next()) plan.push_back(*picture);
  return plan;
}

}  // namespace scrivel
