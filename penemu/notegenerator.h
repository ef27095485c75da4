#pragma once
// Generated handwriting for --notes: every note a few lines of made-up words
// written in the cursive font with jitter, different per note and fixed for a
// given seed.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "penemu/notememory.h"

namespace scrivel::penemu {

class NoteGenerator {
 public:
  explicit NoteGenerator(uint64_t seed);

  // The samples of the next note (at least NoteMemory::kMinRecords records).
  std::vector<Sample> next();

 private:
  std::string word();
  std::string text();

  uint64_t m_seed;
  uint64_t m_index = 0;
  std::mt19937_64 m_random;
};

}  // namespace scrivel::penemu
