#pragma once
// The grid of 10 frames per recorded second, placed while the recording runs:
// the same rule as FrameGrid, one picture at a time. Each picture carries the
// second in which it was captured; a second's missing pictures repeat the
// last one, pictures past the tenth of their second (or of a second already
// passed) are dropped, and slots before the first picture show the first.
// At the end the grid is filled with the last picture up to the recorded time.

#include <cstdint>

namespace scrivel {

class LiveFrameGrid {
 public:
  struct Placement {
    int64_t repeats = 0;  // slots that show the previous picture before this one
    bool placed = false;  // the picture takes the slot after them
  };

  // A picture of recording second `second` arrives. Before the first picture
  // the repeats show the new picture itself.
  Placement Add(int second);
  // The recording ends at `endMs` of recorded time: the slots of the last
  // picture that reach up to there (none when no picture came).
  int64_t Finish(int64_t endMs);

  int64_t slotCount() const { return m_slot; }  // slots handed out so far
  bool hasPicture() const { return m_hasPicture; }

 private:
  int64_t m_slot = 0;
  bool m_hasPicture = false;
};

}  // namespace scrivel
