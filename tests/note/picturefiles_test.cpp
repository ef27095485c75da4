// Picture files for live note pages: BMP, JPEG and PNG written here are read
// by their content and drawn stretched into a rectangle (mirrored when it is
// inside out); files that cannot be read - missing, empty, garbage, another
// format - draw nothing and report it; a changed file is read again; a very
// large picture is decoded no larger than the canvas.
#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

#include <cstdlib>

#include "note/picturefiles.h"
#include "tests/support/tempdir.h"

namespace {

using scrivel::test::TempDir;

const QColor kRed(220, 20, 20), kGreen(20, 180, 40), kBlue(30, 40, 210), kYellow(240, 220, 30);

// A picture of four quadrants: red and green above, blue and yellow below.
QImage Quadrants(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  QPainter painter(&image);
  painter.fillRect(0, 0, width / 2, height / 2, kRed);
  painter.fillRect(width / 2, 0, width - width / 2, height / 2, kGreen);
  painter.fillRect(0, height / 2, width / 2, height - height / 2, kBlue);
  painter.fillRect(width / 2, height / 2, width - width / 2, height - height / 2, kYellow);
  return image;
}

bool Near(QRgb pixel, const QColor& colour, int tolerance) {
  return std::abs(qRed(pixel) - colour.red()) <= tolerance &&
         std::abs(qGreen(pixel) - colour.green()) <= tolerance &&
         std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

QImage White(QSize size = QSize(200, 150)) {
  QImage image(size, QImage::Format_RGB32);
  image.fill(Qt::white);
  return image;
}

// Draws `path` into `rect` on a white 200 x 150 canvas.
QImage Drawn(CPictureFiles& files, const QString& path, const QRect& rect, bool* ok = nullptr) {
  QImage canvas = White();
  QPainter painter(&canvas);
  const bool drawn = files.DrawBK(painter, path, rect);
  painter.end();
  if (ok != nullptr) *ok = drawn;
  return canvas;
}

class PictureFilesTest : public testing::Test {
 protected:
  QString Path(const std::string& name) const { return QString::fromStdString(m_dir.file(name)); }
  QString Save(const QImage& image, const std::string& name, const char* format) {
    const QString path = Path(name);
    EXPECT_TRUE(image.save(path, format)) << name;
    return path;
  }

  TempDir m_dir;
  CPictureFiles m_files{QSize(200, 150)};
};

TEST_F(PictureFilesTest, BmpJpegAndPngAreDrawnStretchedIntoTheRectangle) {
  const QImage picture = Quadrants(40, 30);
  struct Row {
    std::string name;
    const char* format;
    int tolerance;
  } rows[] = {{"p.bmp", "BMP", 0}, {"p.jpg", "JPG", 24}, {"p.png", "PNG", 0},
              // The content decides: a PNG under a JPEG name still shows.
              {"png-named.jpg", "PNG", 0}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    const QString path = Save(picture, row.name, row.format);
    bool ok = false;
    // Stretched from 40 x 30 into 120 x 60 at (20, 40).
    const QImage canvas = Drawn(m_files, path, QRect(20, 40, 120, 60), &ok);
    EXPECT_TRUE(ok);
    EXPECT_TRUE(Near(canvas.pixel(40, 55), kRed, row.tolerance));
    EXPECT_TRUE(Near(canvas.pixel(120, 55), kGreen, row.tolerance));
    EXPECT_TRUE(Near(canvas.pixel(40, 85), kBlue, row.tolerance));
    EXPECT_TRUE(Near(canvas.pixel(120, 85), kYellow, row.tolerance));
    // Exactly the rectangle: the pixels around it stay white.
    for (const QPoint p : {QPoint(19, 70), QPoint(140, 70), QPoint(80, 39), QPoint(80, 100)})
      EXPECT_EQ(canvas.pixel(p), qRgb(255, 255, 255)) << p.x() << "," << p.y();
    EXPECT_FALSE(Near(canvas.pixel(20, 40), Qt::white, 40));
    EXPECT_FALSE(Near(canvas.pixel(139, 99), Qt::white, 40));
  }
}

TEST_F(PictureFilesTest, AnInsideOutRectangleDrawsThePictureMirrored) {
  const QString path = Save(Quadrants(40, 30), "p.bmp", "BMP");
  // Left edge 140, right edge 20: mirrored left to right over 20..139.
  const QImage canvas = Drawn(m_files, path, QRect(140, 40, -120, 60));
  EXPECT_TRUE(Near(canvas.pixel(40, 55), kGreen, 0));
  EXPECT_TRUE(Near(canvas.pixel(120, 55), kRed, 0));
  EXPECT_TRUE(Near(canvas.pixel(120, 85), kBlue, 0));
  EXPECT_EQ(canvas.pixel(140, 70), qRgb(255, 255, 255));
  EXPECT_EQ(canvas.pixel(19, 70), qRgb(255, 255, 255));
  // Edges that meet draw nothing (the file is still readable).
  bool ok = false;
  EXPECT_EQ(Drawn(m_files, path, QRect(50, 50, 0, 40), &ok), White());
  EXPECT_TRUE(ok);
}

TEST_F(PictureFilesTest, FilesThatCannotBeReadDrawNothing) {
  scrivel::test::WriteFile(m_dir.file("garbage.jpg"), std::string(5000, 'x'));
  scrivel::test::WriteFile(m_dir.file("empty.bmp"), "");
  // A JPEG cut off after its header.
  const QString whole = Save(Quadrants(40, 30), "whole.jpg", "JPG");
  scrivel::test::WriteFile(m_dir.file("cut.jpg"), scrivel::test::ReadFile(whole.toStdString()).substr(0, 40));
  // A picture Qt reads, in a format a page does not take.
  Save(Quadrants(40, 30), "picture.ppm", "PPM");
  const QString rows[] = {Path("missing.jpg"), QString(), Path("garbage.jpg"), Path("empty.bmp"),
                          Path("cut.jpg"), Path("picture.ppm"), QString::fromStdString(m_dir.path())};
  for (const QString& path : rows) {
    SCOPED_TRACE(path.toStdString());
    bool ok = true;
    EXPECT_EQ(Drawn(m_files, path, QRect(0, 0, 200, 150), &ok), White());
    EXPECT_FALSE(ok);
    EXPECT_TRUE(m_files.Load(path).isNull());
  }
}

TEST_F(PictureFilesTest, AFileChangedOnDiskIsReadAgain) {
  QImage red(20, 20, QImage::Format_RGB32);
  red.fill(kRed);
  const QString path = Save(red, "p.bmp", "BMP");
  EXPECT_TRUE(Near(Drawn(m_files, path, QRect(0, 0, 100, 100)).pixel(50, 50), kRed, 0));
  // Rewritten with another size and colour: not the kept picture any more.
  QImage blue(30, 30, QImage::Format_RGB32);
  blue.fill(kBlue);
  Save(blue, "p.bmp", "BMP");
  EXPECT_TRUE(Near(Drawn(m_files, path, QRect(0, 0, 100, 100)).pixel(50, 50), kBlue, 0));
  // Removed: nothing is drawn any more.
  ASSERT_EQ(std::remove(path.toLocal8Bit().constData()), 0);
  bool ok = true;
  Drawn(m_files, path, QRect(0, 0, 100, 100), &ok);
  EXPECT_FALSE(ok);
}

TEST_F(PictureFilesTest, ALargePictureIsDecodedNoLargerThanTheCanvas) {
  const QString path = Save(Quadrants(1600, 400), "big.png", "PNG");
  const QImage loaded = m_files.Load(path);
  EXPECT_EQ(loaded.size(), QSize(200, 150));
  const QImage canvas = Drawn(m_files, path, QRect(0, 0, 200, 150));
  EXPECT_TRUE(Near(canvas.pixel(50, 30), kRed, 8));
  EXPECT_TRUE(Near(canvas.pixel(150, 120), kYellow, 8));
  // A small one keeps its own size.
  EXPECT_EQ(m_files.Load(Save(Quadrants(40, 30), "small.png", "PNG")).size(), QSize(40, 30));
}

}  // namespace
