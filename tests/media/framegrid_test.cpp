// The frame grid: which picture each slot of 10-per-second video shows.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "media/framegrid.h"

namespace scrivel {
namespace {

// `n` copies of `second`.
std::vector<int> Times(int second, int n) { return std::vector<int>(static_cast<size_t>(n), second); }

std::vector<int> Join(std::initializer_list<std::vector<int>> parts) {
  std::vector<int> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

// Picture indexes first..last, each once.
std::vector<int64_t> Run(int64_t first, int64_t last) {
  std::vector<int64_t> r;
  for (int64_t i = first; i <= last; ++i) r.push_back(i);
  return r;
}

std::vector<int64_t> Repeat(int64_t picture, int n) { return std::vector<int64_t>(static_cast<size_t>(n), picture); }

std::vector<int64_t> Concat(std::initializer_list<std::vector<int64_t>> parts) {
  std::vector<int64_t> all;
  for (const auto& p : parts) all.insert(all.end(), p.begin(), p.end());
  return all;
}

struct GridCase {
  std::string name;
  std::vector<int> seconds;
  int64_t pictures;
  std::vector<int64_t> expected;
};
void PrintTo(const GridCase& c, std::ostream* os) { *os << c.name; }

class FrameGridTest : public testing::TestWithParam<GridCase> {};

TEST_P(FrameGridTest, PlacesPicturesOnTheGrid) {
  const GridCase& c = GetParam();
  EXPECT_EQ(PlanFrameGrid(c.seconds, c.pictures), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FrameGridTest,
    testing::Values(
        // 9 pictures in second 0 (the ninth repeated once), 10 in second 1, 6
        // in second 2; nothing is added after the last picture.
        GridCase{"NineTenSix", Join({Times(0, 9), Times(1, 10), Times(2, 6)}), 25,
                 Concat({Run(0, 8), Repeat(8, 1), Run(9, 18), Run(19, 24)})},
        GridCase{"FullSeconds", Join({Times(0, 10), Times(1, 10)}), 20, Run(0, 19)},
        // Second 4 has no picture: the last picture of second 3 fills it.
        GridCase{"MissingSecond", Join({Times(3, 10), Times(5, 2)}), 12,
                 Concat({Repeat(0, 30), Run(0, 9), Repeat(9, 10), Run(10, 11)})},
        // 13 pictures in second 0: the three beyond the tenth are dropped.
        GridCase{"ElevenAndMoreInASecond", Join({Times(0, 13), Times(1, 3)}), 16,
                 Concat({Run(0, 9), Run(13, 15)})},
        GridCase{"ExtraPicturesAtTheEnd", Times(0, 14), 14, Run(0, 9)},
        // The first picture was taken in second 2: it fills seconds 0 and 1.
        GridCase{"FirstPictureLate", Times(2, 5), 5, Concat({Repeat(0, 20), Run(0, 4)})},
        // The list is shorter than the file: only listed pictures are used.
        GridCase{"ListShorterThanFile", Times(0, 6), 10, Run(0, 5)},
        // The file is shorter than the list: only pictures that exist are used.
        GridCase{"FileShorterThanList", Times(0, 10), 4, Run(0, 3)},
        // A second that goes back has no slot left; the picture is dropped.
        GridCase{"SecondGoesBack", {0, 1, 0, 1}, 4, Concat({Repeat(0, 10), Run(1, 1), Run(3, 3)})},
        GridCase{"NegativeSecondDropped", {-1, 0, 0}, 3, Run(1, 2)},
        GridCase{"EmptyList", {}, 5, {}},
        GridCase{"NoPictures", Times(0, 5), 0, {}}),
    [](const testing::TestParamInfo<GridCase>& info) { return info.param.name; });

TEST(FrameGrid, CountsSlotsAndConsumedPictures) {
  const std::vector<int> seconds = Join({Times(0, 12), Times(2, 1)});
  FrameGrid grid(seconds, 13);
  int64_t slots = 0;
  while (grid.Next()) ++slots;
  EXPECT_EQ(slots, 21);  // 10 in second 0, 10 repeats in second 1, 1 in second 2
  EXPECT_EQ(grid.slot(), 21);
  EXPECT_EQ(grid.consumed(), 13);
  EXPECT_FALSE(grid.Next().has_value());  // stays finished
}

TEST(FrameGrid, EndsForEveryShortList) {
  // Every list of up to 8 entries drawn from seconds 0..2 ends, uses each
  // picture at most once and in order, and gives each second at most 10 slots.
  for (int code = 0; code < 3 * 3 * 3 * 3 * 3 * 3 * 3 * 3; ++code) {
    std::vector<int> seconds;
    for (int c = code, i = 0; i < 8; ++i, c /= 3) seconds.push_back(c % 3);
    const auto plan = PlanFrameGrid(seconds, 8);
    ASSERT_LE(plan.size(), 30u);
    for (size_t i = 1; i < plan.size(); ++i) ASSERT_LE(plan[i - 1], plan[i]);
    for (size_t slot = 0; slot < plan.size(); ++slot) {
      const int64_t picture = plan[slot];
      // A picture placed on its own second's slots shows there; earlier slots
      // only repeat or look ahead to the first picture.
      if (slot > 0 && plan[slot] != plan[slot - 1]) {
        ASSERT_EQ(seconds[static_cast<size_t>(picture)], static_cast<int>(slot / 10));
      }
    }
  }
}

}  // namespace
}  // namespace scrivel
