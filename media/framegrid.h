#pragma once
// Places recorded pictures on the video's grid of 10 frames per recorded
// second. Each picture carries the second in which it was captured; every
// second becomes 10 frames: its pictures in order, then the last picture
// repeated for the slots left over. A second without pictures repeats the last
// picture 10 times. The grid ends as soon as the last picture is placed.
//
// Beyond the plain rule:
// - pictures past the tenth of a second (or carrying a second already passed)
//   are consumed and dropped, so the grid keeps its pace and always ends;
// - slots before the first picture show the first picture;
// - only pictures that both exist in the file and have a second in the list
//   are used.

#include <cstdint>
#include <optional>
#include <vector>

#include "media/recordingformat.h"

namespace scrivel {

class FrameGrid {
 public:
  static constexpr int kFramesPerSecond = scrivel::kFramesPerSecond;

  FrameGrid(const std::vector<int>& frameSeconds, int64_t pictureCount);

  // The index of the picture that the next slot shows, or nothing when the
  // grid is complete. Indexes never decrease.
  std::optional<int64_t> Next();

  int64_t slot() const { return m_slot; }             // slots handed out so far
  int64_t consumed() const { return m_next; }         // pictures placed or dropped
  int64_t pictureCount() const { return m_count; }    // pictures the grid uses

 private:
  const std::vector<int>& m_seconds;
  int64_t m_count;
  int64_t m_next = 0;      // next picture not yet consumed
  int64_t m_shown = -1;    // last picture placed on the grid
  int64_t m_slot = 0;
  int64_t m_second = 0;
};

// The whole grid at once: the picture index of every slot.
std::vector<int64_t> PlanFrameGrid(const std::vector<int>& frameSeconds, int64_t pictureCount);

}  // namespace scrivel
