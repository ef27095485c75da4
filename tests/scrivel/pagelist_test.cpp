// The page list takes pages from several threads at once without losing or
// reordering any.
#include <QColor>
#include <QImage>

#include <gtest/gtest.h>

#include <thread>
#include <vector>

#include "scrivel/pagelist.h"

namespace {

QImage Page(int writer, int index) {
  QImage page(4, 4, QImage::Format_RGB32);
  page.fill(QColor(writer, index % 256, index / 256));
  return page;
}

TEST(PageListTest, ConcurrentAppendsKeepEveryPageInItsWritersOrder) {
  CPageList list;
  constexpr int kWriters = 4, kPages = 300;
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&list, w] {
      for (int i = 0; i < kPages; ++i) {
        if (i % 2) list.Append(Page(w, i));
        else list.Append(QList<QImage>{Page(w, i)});
      }
    });
  // Read while they write.
  qsizetype seen = 0;
  while (seen < kWriters * kPages) {
    const qsizetype count = list.Count();
    ASSERT_GE(count, seen);
    if (count > 0) {
      ASSERT_FALSE(list.At(count - 1).isNull());
    }
    seen = count;
    std::this_thread::yield();
  }
  for (auto& t : writers) t.join();

  ASSERT_EQ(list.Count(), kWriters * kPages);
  std::vector<int> next(kWriters, 0);
  for (qsizetype k = 0; k < list.Count(); ++k) {
    const QColor c = list.At(k).pixelColor(0, 0);
    const int writer = c.red(), index = c.green() + 256 * c.blue();
    ASSERT_LT(writer, kWriters);
    EXPECT_EQ(index, next[writer]++) << "writer " << writer;
  }
}

TEST(PageListTest, OutOfRangeGivesANullPicture) {
  CPageList list;
  EXPECT_TRUE(list.At(0).isNull());
  list.Append(Page(0, 0));
  EXPECT_FALSE(list.At(0).isNull());
  EXPECT_TRUE(list.At(1).isNull());
  EXPECT_TRUE(list.At(-1).isNull());
  list.Clear();
  EXPECT_EQ(list.Count(), 0);
}

TEST(PageListTest, ThumbnailRectangleIsThePageSize) {
  EXPECT_EQ(g_thumbRect, QRect(0, 0, 222, 271));
}

}  // namespace
