// Page ownership, index limits and readers during a replacement.

#include "nibdl/pagetable.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace nibdl {
namespace {

// A page whose `count` records all carry x = `mark`.
DecodedPage MakePage(int count, int16_t mark, uint32_t stamp = 0) {
  DecodedPage page;
  page.points.reset(static_cast<DUVOPAGE*>(std::malloc(count * sizeof(DUVOPAGE))));
  for (int i = 0; i < count; ++i) page.points.get()[i] = DUVOPAGE{2, mark, 0};
  page.count = count;
  page.timeStamp = stamp;
  page.flipped = mark % 2;
  page.uploaded = 1 - mark % 2;
  return page;
}

PageList MakePages(int n, int16_t mark) {
  PageList pages;
  for (int i = 0; i < n; ++i) pages.push_back(MakePage(20 + i, mark, static_cast<uint32_t>(mark)));
  return pages;
}

TEST(PageTable, IndexesOutsideTheTableGiveAnEmptyPage) {
  PageTable table;
  table.Replace(MakePages(3, 1));
  for (int index : {0, -1, 4, 200, 201, INT32_MIN, INT32_MAX}) {
    DUVOPAGE* points = reinterpret_cast<DUVOPAGE*>(0x1);
    int count = 7;
    EXPECT_FALSE(table.Take(index, &points, &count)) << index;
    EXPECT_EQ(points, nullptr);
    EXPECT_EQ(count, 0);
    const PageInfo info = table.Info(index);
    EXPECT_EQ(info.timeStamp, 0u);
    EXPECT_EQ(info.flipped, 0);
    EXPECT_EQ(info.uploaded, 0);
  }
}

TEST(PageTable, HandedOutArraysSurviveAReplacement) {
  PageTable table;
  table.Replace(MakePages(3, 1));
  DUVOPAGE* kept = nullptr;
  int count = 0;
  ASSERT_TRUE(table.Take(2, &kept, &count));
  DUVOPAGE* again = nullptr;
  table.Take(2, &again, &count);
  EXPECT_EQ(again, kept) << "the same array again";
  table.Replace(MakePages(1, 2));  // frees pages 1 and 3, not page 2
  EXPECT_EQ(kept[count - 1].x, 1) << "still the caller's";
  std::free(kept);
  EXPECT_EQ(table.Count(), 1);
}

TEST(PageTable, GiveBackRemovesTheArrayFromTheTable) {
  PageTable table;
  table.Replace(MakePages(2, 1));
  DUVOPAGE* points = nullptr;
  int count = 0;
  table.Take(1, &points, &count);
  table.GiveBack(points);
  table.Take(1, &points, &count);
  EXPECT_EQ(points, nullptr) << "never a freed array";
  EXPECT_EQ(count, 0);
  table.GiveBack(nullptr);
  table.Clear();
  EXPECT_EQ(table.Count(), 0);
}

TEST(PageTable, KeepsAtMost200Pages) {
  PageTable table;
  table.Replace(MakePages(205, 1));
  EXPECT_EQ(table.Count(), 200);
}

TEST(PageTable, ReadersDuringReplacementsSeeWholePages) {
  PageTable table;
  table.Replace(MakePages(10, 1));
  std::atomic<bool> stop{false};
  std::atomic<int> broken{0}, taken{0};
  std::thread reader([&] {
    int index = 1;
    while (!stop) {
      DUVOPAGE* points = nullptr;
      int count = 0;
      if (table.Take(index, &points, &count) && points != nullptr) {
        ++taken;
        // Page i of every table has 19 + i records, all with the table's mark.
        if (count != 19 + index) ++broken;
        for (int i = 1; i < count; ++i)
          if (points[i].x != points[0].x) ++broken;
        table.GiveBack(points);  // the caller gives it back once; the entry empties
      }
      index = index % 12 + 1;
    }
  });
  for (int round = 0; round < 3000 || (taken < 1000 && round < 10'000'000); ++round)
    table.Replace(MakePages(1 + round % 12, static_cast<int16_t>(round % 7 + 1)));
  stop = true;
  reader.join();
  EXPECT_EQ(broken.load(), 0);
  EXPECT_GT(taken.load(), 0);
}

}  // namespace
}  // namespace nibdl
