// History states: deltas over a parent render exactly the canvas they were
// taken from, whatever region is asked for; differences between states; a
// flattened state renders the same; released chains free their states.
#include <gtest/gtest.h>

#include <random>

#include "note/canvasimage.h"
#include "note/canvasstate.h"

namespace {

const QSize kSize(120, 90);

QImage Noise(uint32_t seed) {
  QImage image(kSize, QImage::Format_RGB32);
  std::mt19937 random(seed);
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) image.setPixel(x, y, qRgb(random() & 255, random() & 255, random() & 255));
  return image;
}

TEST(CanvasState, RootsRenderTheirWholeCanvas) {
  const QImage white = CanvasState::Uniform(kSize, qRgb(255, 255, 255))->ToImage();
  EXPECT_EQ(white.size(), kSize);
  EXPECT_EQ(white.pixel(0, 0), qRgb(255, 255, 255));
  EXPECT_EQ(white.pixel(119, 89), qRgb(255, 255, 255));
  const QImage noise = Noise(1);
  EXPECT_EQ(CanvasState::Picture(noise)->ToImage(), noise);
}

TEST(CanvasState, DeltaChainsRenderExactlyInAnyRegion) {
  // Three generations, each changing a few rectangles of random pixels.
  const QImage a = Noise(1), b0 = Noise(2), c0 = Noise(3);
  QImage b = a, c;
  const std::vector<QRect> bRects{{5, 5, 20, 10}, {60, 40, 30, 30}};
  for (const QRect& r : bRects)
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) b.setPixel(x, y, b0.pixel(x, y));
  c = b;
  const std::vector<QRect> cRects{{0, 0, 120, 3}, {10, 8, 5, 50}};
  for (const QRect& r : cRects)
    for (int y = r.top(); y <= r.bottom(); ++y)
      for (int x = r.left(); x <= r.right(); ++x) c.setPixel(x, y, c0.pixel(x, y));

  const auto sa = CanvasState::Picture(a);
  const auto sb = CanvasState::Delta(sa, b, bRects);
  const auto sc = CanvasState::Delta(sb, c, cRects);
  EXPECT_EQ(sb->ToImage(), b);
  EXPECT_EQ(sc->ToImage(), c);
  EXPECT_EQ(sa->ToImage(), a);

  // Rendering into a region leaves everything outside it alone.
  QImage target = a;
  const QRegion region = QRegion(8, 0, 30, 20) | QRegion(70, 50, 10, 10);
  sc->RenderInto(target, region);
  for (int y = 0; y < kSize.height(); ++y)
    for (int x = 0; x < kSize.width(); ++x)
      ASSERT_EQ(target.pixel(x, y), region.contains(QPoint(x, y)) ? c.pixel(x, y) : a.pixel(x, y))
          << x << "," << y;

  // Differences: siblings and ancestors share their root.
  EXPECT_TRUE(CanvasState::Difference(sc.get(), sc.get()).isEmpty());
  EXPECT_EQ(CanvasState::Difference(sc.get(), sb.get()), QRegion(cRects[0]) | QRegion(cRects[1]));
  QRegion both;
  for (const QRect& r : bRects) both += r;
  for (const QRect& r : cRects) both += r;
  EXPECT_EQ(CanvasState::Difference(sa.get(), sc.get()), both);
  const auto other = CanvasState::Uniform(kSize, 0);
  EXPECT_EQ(CanvasState::Difference(sc.get(), other.get()), QRegion(QRect(QPoint(0, 0), kSize)));

  // A state's own memory is its pixels, not its parent's.
  EXPECT_LT(sb->bytes(), size_t(a.sizeInBytes()));
  sc->Flatten();
  EXPECT_TRUE(sc->IsRoot());
  EXPECT_EQ(sc->ToImage(), c);
}

TEST(CanvasState, FlattenedUniformCanvasKeepsOnlyItsColour) {
  const auto white = CanvasState::Uniform(kSize, qRgb(255, 255, 255));
  QImage grey(kSize, QImage::Format_RGB32);
  grey.fill(qRgb(90, 90, 90));
  const auto delta = CanvasState::Delta(white, grey, {QRect(QPoint(0, 0), kSize)});
  const size_t before = delta->bytes();
  delta->Flatten();
  EXPECT_LT(delta->bytes(), before / 100);
  EXPECT_EQ(delta->ToImage(), grey);
}

TEST(CanvasState, ALongChainIsReleasedWithoutRecursion) {
  std::weak_ptr<const CanvasState> root;
  {
    CanvasImage canvas(QSize(64, 64));
    root = canvas.head();
    CanvasState::Ref newest;
    for (int i = 0; i < 200000; ++i) {
      canvas.Fill(QRect(i % 64, (i / 64) % 64, 1, 1), QColor::fromRgb(i & 0xffffff));
      newest = canvas.Snapshot();
    }
    EXPECT_FALSE(newest->IsRoot());
    EXPECT_FALSE(root.expired());
  }
  EXPECT_TRUE(root.expired());
}

}  // namespace
