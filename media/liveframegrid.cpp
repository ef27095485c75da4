#include "media/liveframegrid.h"

#include "media/recordingformat.h"

namespace scrivel {

LiveFrameGrid::Placement LiveFrameGrid::Add(int second) {
  Placement placement;
  const int64_t first = int64_t{second} * kFramesPerSecond;
  // Too late for its second (it is full, or it has passed): dropped.
  if (m_slot >= first + kFramesPerSecond) return placement;
  if (m_slot < first) placement.repeats = first - m_slot;
  placement.placed = true;
  m_slot += placement.repeats + 1;
  m_hasPicture = true;
  return placement;
}

int64_t LiveFrameGrid::Finish(int64_t endMs) {
  if (!m_hasPicture) return 0;
  // Rounded to the nearest slot, so the video lasts the recorded time.
  const int64_t end = (endMs * kFramesPerSecond + 500) / 1000;
  const int64_t repeats = end > m_slot ? end - m_slot : 0;
  m_slot += repeats;
  return repeats;
}

}  // namespace scrivel
