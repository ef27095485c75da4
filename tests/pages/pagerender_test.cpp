#include "pages/pagerender.h"

#include <gtest/gtest.h>

#include <QImageReader>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "pages/cardinalspline.h"
#include "pages/pendownload.h"
#include "pages/pagestrokes.h"
#include "tests/support/tempdir.h"

namespace {

TEST(PenToThumb, CornersCentreAndTruncation) {
  struct Row {
    int16_t x, y;
    int px, py;
  };
  const Row rows[] = {
      {-5100, 0, 0, 0},     {0, 7200, 111, 135},  {5100, 14400, 222, 271},
      {-5101, 0, 0, 0},     // truncation toward zero, not -1
      {0, -100, 111, -1},   {32767, 32767, 824, 616}, {-32768, -32768, -602, -616},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.x << "," << row.y);
    EXPECT_EQ(PenToThumb(row.x, row.y, g_thumbRect), QPoint(row.px, row.py));
  }
  EXPECT_EQ(PenToThumb(0, 0, QRect(0, 10, 222, 271)), QPoint(111, 10)) << "top is added";
}

DUVOPAGE Rec(uint16_t event, int16_t x = 0, int16_t y = 0) { return {event, x, y}; }

TEST(PageStrokes, CutsAtPenUpAndKeepsEachPageToItself) {
  const DUVOPAGE records[] = {
      Rec(1, -5100, 0), Rec(2, 0, 7200), Rec(3),      // stroke 1
      Rec(3),                                        // an empty stroke
      Rec(9, 1, 1),                                  // unknown kind: skipped
      Rec(1, 5100, 14400), Rec(2, 0, 7200),          // trailing points without pen-up
  };
  const auto strokes = PageStrokes(records, 7);
  ASSERT_EQ(strokes.size(), 3u);
  EXPECT_EQ(strokes[0].points, (std::vector<QPointF>{{0, 0}, {111, 135}}));
  EXPECT_TRUE(strokes[1].points.empty());
  EXPECT_EQ(strokes[2].points, (std::vector<QPointF>{{222, 271}, {111, 135}}));
  EXPECT_TRUE(PageStrokes(records, 0).empty());
  // The same cut in pen coordinates, as the page documents draw them.
  const auto pen = PenStrokes(records, 7);
  ASSERT_EQ(pen.size(), 3u);
  EXPECT_EQ(pen[0].points, (std::vector<QPointF>{{-5100, 0}, {0, 7200}}));
  EXPECT_TRUE(pen[1].points.empty());
  EXPECT_EQ(pen[2].points, (std::vector<QPointF>{{5100, 14400}, {0, 7200}}));
  EXPECT_EQ(PageStrokes(pen)[2].points, strokes[2].points);
}

TEST(CardinalSpline, PassesThroughEveryPoint) {
  EXPECT_TRUE(CardinalSplinePath({}).isEmpty());
  EXPECT_TRUE(CardinalSplinePath({{1, 1}}).isEmpty());
  const std::vector<QPointF> points{{10, 10}, {50, 80}, {90, 20}, {120, 60}};
  const QPainterPath path = CardinalSplinePath(points);
  ASSERT_EQ(path.elementCount(), 1 + 3 * 3);
  for (size_t i = 0; i < points.size(); ++i) {
    const auto e = path.elementAt(static_cast<int>(i * 3));
    EXPECT_EQ(QPointF(e.x, e.y), points[i]);
  }
  // First control point: p0 + (0.5 / 3) * (p1 - p0), the end point repeated.
  const auto c1 = path.elementAt(1);
  EXPECT_NEAR(c1.x, 10 + (50 - 10) / 6.0, 1e-9);
  EXPECT_NEAR(c1.y, 10 + (80 - 10) / 6.0, 1e-9);
  // Second control point of segment 1: p2 - k * (p3 - p1).
  const auto c2 = path.elementAt(5);
  EXPECT_NEAR(c2.x, 90 - (120 - 50) / 6.0, 1e-9);
  EXPECT_NEAR(c2.y, 20 - (60 - 80) / 6.0, 1e-9);
}

double DistanceToPolyline(const QPointF& p, const std::vector<QPointF>& line) {
  double best = 1e300;
  for (size_t i = 0; i + 1 < line.size(); ++i) {
    const QPointF d = line[i + 1] - line[i];
    const double length2 = QPointF::dotProduct(d, d);
    const double t = length2 == 0 ? 0 : std::clamp(QPointF::dotProduct(p - line[i], d) / length2, 0.0, 1.0);
    const QPointF q = line[i] + t * d - p;
    best = std::min(best, std::hypot(q.x(), q.y()));
  }
  return best;
}

TEST(CardinalSpline, FlattenedWithinToleranceThroughEveryPoint) {
  const std::vector<QPointF> points{{0, 0}, {40, 90}, {95, 10}, {130, 70}, {131, 71}, {60, 160}};
  const QPainterPath path = CardinalSplinePath(points);
  EXPECT_TRUE(FlattenPath(QPainterPath(), 1).empty());
  size_t previousCount = 0;
  for (const double tolerance : {4.0, 1.0, 0.25, 0.05}) {
    SCOPED_TRACE(tolerance);
    const auto flat = FlattenPath(path, tolerance);
    EXPECT_GT(flat.size(), previousCount) << "a finer tolerance takes more points";
    previousCount = flat.size();
    for (const QPointF& p : points)
      EXPECT_NE(std::find(flat.begin(), flat.end(), p), flat.end()) << p.x() << "," << p.y();
    double worst = 0;
    for (int i = 0; i <= 2000; ++i) worst = std::max(worst, DistanceToPolyline(path.pointAtPercent(i / 2000.0), flat));
    EXPECT_LE(worst, tolerance);
    EXPECT_GT(worst, tolerance / 50) << "not needlessly fine";
  }
  // A segment already straight enough is one piece.
  EXPECT_EQ(FlatteningSteps({0, 0}, {1, 0}, {2, 0}, {3, 0}, 0.1), 1);
  EXPECT_GT(FlatteningSteps({0, 0}, {0, 10}, {10, 10}, {10, 0}, 0.1), 5);
  EXPECT_EQ(FlatteningSteps({0, 0}, {0, 10}, {10, 10}, {10, 0}, 0), 1024) << "no tolerance: bounded";
  EXPECT_EQ(FlatteningSteps({0, 0}, {0, 0}, {0, 0}, {0, 0}, 0), 1) << "a point";
}

// A fixed page of strokes: loops, a zig-zag, a dot and a stroke leaving the page.
std::vector<StructPointF> KnownStrokes() {
  std::vector<StructPointF> strokes;
  StructPointF loop;
  for (int i = 0; i <= 40; ++i) {
    const double a = i * 0.35;
    loop.points.emplace_back(60 + 30 * std::cos(a) + i, 70 + 25 * std::sin(a));
  }
  strokes.push_back(loop);
  StructPointF zigzag;
  for (int i = 0; i < 12; ++i) zigzag.points.emplace_back(20 + i * 16, 180 + (i % 2 ? 30 : -10));
  strokes.push_back(zigzag);
  strokes.push_back(StructPointF{{{150, 40}}});
  strokes.push_back(StructPointF{{{200, 250}, {260, 300}}});
  return strokes;
}

int MaxChannelDifference(QRgb a, QRgb b) {
  return std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                   std::abs(qBlue(a) - qBlue(b))});
}

TEST(RenderPage, EmptyPageIsPlainPaper) {
  const QImage picture = RenderPage({});
  ASSERT_EQ(picture.size(), QSize(222, 271));
  for (int y = 0; y < picture.height(); y += 7)
    for (int x = 0; x < picture.width(); x += 5)
      ASSERT_EQ(picture.pixel(x, y), qRgb(216, 219, 164));
}

TEST(RenderPage, MatchesTheReferencePicture) {
  const QImage picture = RenderPage(KnownStrokes());
  const QString reference = SCRIVEL_TEST_DATA_DIR "/pages/render_reference.png";
  if (std::getenv("SCRIVEL_WRITE_REFERENCE")) {
    ASSERT_TRUE(picture.save(reference));
  }
  const QImage expected = QImage(reference).convertToFormat(QImage::Format_RGB32);
  ASSERT_EQ(expected.size(), picture.size()) << "missing reference " << reference.toStdString();
  int differing = 0, ink = 0;
  for (int y = 0; y < picture.height(); ++y) {
    for (int x = 0; x < picture.width(); ++x) {
      if (MaxChannelDifference(picture.pixel(x, y), expected.pixel(x, y)) > 24) ++differing;
      if (qGray(picture.pixel(x, y)) < 100) ++ink;
    }
  }
  EXPECT_LE(differing, 20) << "pixels that differ from the reference";
  EXPECT_GT(ink, 150) << "the strokes are drawn dark";
  // The single point draws nothing; the paper around it stays paper.
  EXPECT_EQ(picture.pixel(150, 40), qRgb(216, 219, 164));
}

TEST(SavePageJpg, WritesReadableFilesNamedByPage) {
  scrivel::test::TempDir dir;
  const QString folder = QString::fromStdString(dir.path());
  const QImage picture = RenderPage(KnownStrokes());
  ASSERT_TRUE(SavePageJpg(folder, 7, picture));
  EXPECT_EQ(PageFileName(folder, 7), folder + "/7.jpg");
  QImageReader reader(folder + "/7.jpg");
  EXPECT_EQ(reader.format(), "jpeg");
  const QImage back = reader.read();
  ASSERT_EQ(back.size(), QSize(222, 271));
  EXPECT_LE(MaxChannelDifference(back.pixel(5, 5), qRgb(216, 219, 164)), 6);

  EXPECT_FALSE(SavePageJpg(folder + "/no/such/folder", 1, picture));
  EXPECT_FALSE(SavePageJpg("/proc", 1, picture));
}

TEST(MakeTimeStamp, ZeroPaddedFields) {
  EXPECT_EQ(MakeTimeStamp(QDateTime(QDate(2016, 3, 7), QTime(9, 5, 30))), "2016-03-07-09-05-30");
  EXPECT_EQ(MakeTimeStamp(QDateTime(QDate(2026, 12, 31), QTime(23, 59, 59))), "2026-12-31-23-59-59");
}

}  // namespace
