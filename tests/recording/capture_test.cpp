// Window pictures into YUV pictures: packing, orientation, fitting, white
// fill, size, their hand-over to the recording in tick order; and the
// recording clock's text.
#include <gtest/gtest.h>

#include <QImage>
#include <QPainter>

#include <cstdio>
#include <filesystem>
#include <vector>

#include "media/recordingwriter.h"
#include "recording/fitscaler.h"
#include "recording/recordingstate.h"
#include "recording/screencapture.h"
#include "recording/screentobgr.h"
#include "tests/support/tempdir.h"
#include "tests/support/videoprobe.h"

namespace scrivel {
namespace {

constexpr int kW = CFitScaler::kWidth;
constexpr int kH = CFitScaler::kHeight;

struct Yuv {
  int y, u, v;
};

Yuv PixelAt(const std::vector<uint8_t>& picture, int x, int y) {
  const size_t luma = size_t{kW} * kH;
  const size_t chroma = static_cast<size_t>(y / 2) * (kW / 2) + static_cast<size_t>(x / 2);
  return {picture[static_cast<size_t>(y) * kW + x], picture[luma + chroma], picture[luma + luma / 4 + chroma]};
}

// Limited-range BT.601, as the scaler converts.
constexpr Yuv kWhite{235, 128, 128};
constexpr Yuv kRed{81, 90, 240};
constexpr Yuv kBlue{41, 240, 110};

::testing::AssertionResult Near(const Yuv& got, const Yuv& want) {
  if (std::abs(got.y - want.y) <= 4 && std::abs(got.u - want.u) <= 6 && std::abs(got.v - want.v) <= 6)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "got " << got.y << "/" << got.u << "/" << got.v << ", want " << want.y
                                       << "/" << want.u << "/" << want.v;
}

std::vector<uint8_t> Convert(const QImage& image) {
  std::vector<uint8_t> bgr(static_cast<size_t>(image.width()) * image.height() * 3);
  screen_to_bgr(image, 0, 0, image.width(), image.height(), bgr.data());
  std::vector<uint8_t> yuv(CFitScaler::kPictureBytes);
  CFitScaler scaler;
  EXPECT_TRUE(scaler.Scale(bgr.data(), image.width(), image.height(), yuv.data()));
  return yuv;
}

// A picture with a red top band and a blue bottom band, each a tenth high.
QImage Banded(int width, int height) {
  QImage image(width, height, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  painter.fillRect(0, 0, width, height / 10, QColor(255, 0, 0));
  painter.fillRect(0, height - height / 10, width, height / 10, QColor(0, 0, 255));
  return image;
}

TEST(ScreenToBgr, PacksRowsTopDownInBlueGreenRedOrder) {
  QImage image(3, 2, QImage::Format_RGB32);
  image.setPixel(0, 0, qRgb(1, 2, 3));
  image.setPixel(1, 0, qRgb(4, 5, 6));
  image.setPixel(2, 0, qRgb(7, 8, 9));
  image.setPixel(0, 1, qRgb(10, 11, 12));
  image.setPixel(1, 1, qRgb(13, 14, 15));
  image.setPixel(2, 1, qRgb(16, 17, 18));
  std::vector<uint8_t> bgr(3 * 2 * 3, 0);
  screen_to_bgr(image, 0, 0, 3, 2, bgr.data());
  const std::vector<uint8_t> want{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16};
  EXPECT_EQ(bgr, want);
}

TEST(ScreenToBgr, TakesAnyPictureFormatAndFillsMissingPixelsWhite) {
  QImage image(2, 1, QImage::Format_RGB888);
  image.setPixel(0, 0, qRgb(200, 100, 50));
  image.setPixel(1, 0, qRgb(0, 0, 0));
  std::vector<uint8_t> bgr(3 * 2 * 3, 0);
  screen_to_bgr(image, 0, 0, 3, 2, bgr.data());  // asks for more than the picture has
  const std::vector<uint8_t> want{50, 100, 200, 0, 0, 0, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255, 255};
  EXPECT_EQ(bgr, want);

  std::vector<uint8_t> none(6, 0);
  screen_to_bgr(QImage(), 0, 0, 2, 1, none.data());
  EXPECT_EQ(none, std::vector<uint8_t>(6, 255));
}

struct FitCase {
  int width, height;
  QRect fit;
};

TEST(FitScaler, FitsThePictureInsideKeepingItsAspectRatio) {
  const FitCase cases[] = {
      {502, 776, QRect(82, 0, 186, 288)},   // the note window: portrait
      {352, 288, QRect(0, 0, 352, 288)},    // the picture's own shape
      {704, 576, QRect(0, 0, 352, 288)},
      {704, 288, QRect(0, 72, 352, 144)},   // wide: white above and below
      {100, 100, QRect(32, 0, 288, 288)},
      {1, 1000, QRect(174, 0, 2, 288)},     // never narrower than one chroma sample
      {1000, 1, QRect(0, 142, 352, 2)},
  };
  for (const FitCase& c : cases) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
    const QRect fit = CFitScaler::FitRect(c.width, c.height);
    EXPECT_EQ(fit, c.fit);
    EXPECT_EQ(fit.x() % 2, 0);
    EXPECT_EQ(fit.y() % 2, 0);
    EXPECT_EQ(fit.width() % 2, 0);
    EXPECT_EQ(fit.height() % 2, 0);
  }
}

TEST(FitScaler, AWhiteWindowGivesAnEvenlyWhitePicture) {
  QImage image(502, 776, QImage::Format_RGB32);
  image.fill(Qt::white);
  const std::vector<uint8_t> yuv = Convert(image);
  const size_t luma = size_t{kW} * kH;
  for (size_t i = 0; i < yuv.size(); ++i) {
    ASSERT_EQ(yuv[i], i < luma ? kWhite.y : kWhite.u) << "byte " << i;
  }
}

TEST(FitScaler, PortraitWindowKeepsTopOnTopAndWhiteMargins) {
  const std::vector<uint8_t> yuv = Convert(Banded(502, 776));
  // The fitted part spans x 82..267: the bands are inside it only.
  EXPECT_TRUE(Near(PixelAt(yuv, 175, 10), kRed));
  EXPECT_TRUE(Near(PixelAt(yuv, 175, 144), kWhite));
  EXPECT_TRUE(Near(PixelAt(yuv, 175, 280), kBlue));
  for (int y : {10, 144, 280}) {
    EXPECT_TRUE(Near(PixelAt(yuv, 20, y), kWhite)) << "left margin row " << y;
    EXPECT_TRUE(Near(PixelAt(yuv, 330, y), kWhite)) << "right margin row " << y;
  }
  EXPECT_TRUE(Near(PixelAt(yuv, 90, 10), kRed));
  EXPECT_TRUE(Near(PixelAt(yuv, 260, 280), kBlue));
}

TEST(FitScaler, WideWindowGetsWhiteAboveAndBelow) {
  const std::vector<uint8_t> yuv = Convert(Banded(704, 288));
  // Fitted part: y 72..215, red in its top tenth, blue in its bottom tenth.
  EXPECT_TRUE(Near(PixelAt(yuv, 176, 20), kWhite));
  EXPECT_TRUE(Near(PixelAt(yuv, 176, 78), kRed));
  EXPECT_TRUE(Near(PixelAt(yuv, 176, 144), kWhite));
  EXPECT_TRUE(Near(PixelAt(yuv, 176, 210), kBlue));
  EXPECT_TRUE(Near(PixelAt(yuv, 176, 260), kWhite));
}

TEST(ScreenCapture, EverySizeGivesOnePictureOf152064Bytes) {
  CFitScaler scaler;
  std::vector<uint8_t> bgr, yuv;
  const QSize sizes[] = {{1, 1}, {3, 5}, {502, 776}, {2000, 100}, {351, 289}, {502, 776}};
  for (const QSize& size : sizes) {
    EXPECT_TRUE(CScreenCapture::ConvertPicture(Banded(size.width(), size.height()), scaler, bgr, yuv));
    EXPECT_EQ(yuv.size(), CFitScaler::kPictureBytes);
  }
  EXPECT_TRUE(CScreenCapture::ConvertPicture(QImage(), scaler, bgr, yuv));  // nothing rendered
  EXPECT_EQ(yuv.size(), CFitScaler::kPictureBytes);
}

TEST(ScreenCapture, AWindowSizedTargetKeepsTheWholeWindow) {
  CFitScaler scaler(502, 776);
  std::vector<uint8_t> bgr, yuv;
  ASSERT_TRUE(CScreenCapture::ConvertPicture(Banded(502, 776), scaler, bgr, yuv));
  ASSERT_EQ(yuv.size(), PictureBytes(502, 776));
  const size_t luma = size_t{502} * 776;
  auto at = [&](int x, int y) {
    const size_t c = static_cast<size_t>(y / 2) * 251 + static_cast<size_t>(x / 2);
    return Yuv{yuv[size_t(y) * 502 + x], yuv[luma + c], yuv[luma + luma / 4 + c]};
  };
  EXPECT_TRUE(Near(at(4, 20), kRed)) << "no white margin: the window fills the picture";
  EXPECT_TRUE(Near(at(250, 388), kWhite));
  EXPECT_TRUE(Near(at(497, 760), kBlue));
}

TEST(ScreenCapture, HandsOnePicturePerTickInTickOrder) {
  test::TempDir dir;
  int tick = 0;
  // Each tick's picture is one flat grey, darker tick by tick.
  CScreenCapture capture([&tick] {
    QImage image(502, 776, QImage::Format_RGB32);
    image.fill(QColor(250 - 20 * tick, 250 - 20 * tick, 250 - 20 * tick));
    ++tick;
    return image;
  });
  const std::string path = dir.file("Note.mp4");
  CRecordingWriter writer;
  ASSERT_EQ(writer.Open({path, kW, kH, false}), MediaResult::Ok);
  capture.Open(&writer);
  // Ten pictures in second 0, two in second 1.
  for (int i = 0; i < 12; ++i) ASSERT_TRUE(capture.ScreenToYUV(i / 10));
  capture.Close();
  EXPECT_FALSE(capture.ScreenToYUV(1));  // closed: nothing more is handed over
  ASSERT_EQ(writer.Finish(1200), MediaResult::Ok);
  const std::string data = test::DecodePictures(path);
  ASSERT_EQ(data.size(), 12 * CFitScaler::kPictureBytes);
  int previous = 256;
  for (int i = 0; i < 12; ++i) {
    const int luma = static_cast<uint8_t>(data[i * CFitScaler::kPictureBytes + 144 * kW + 176]);
    EXPECT_LT(luma, previous) << "picture " << i;
    previous = luma;
  }
}

struct ClockCase {
  int elapsed;
  const char* text;
};

TEST(RecordingClock, ShowsHoursMinutesAndSeconds) {
  const ClockCase cases[] = {
      {0, "00:00:00"},        {999, "00:00:00"},         {1000, "00:00:01"},     {59999, "00:00:59"},
      {60000, "00:01:00"},    {90000, "00:01:30"},       {90999, "00:01:30"},    {3599999, "00:59:59"},
      {3600000, "01:00:00"},  {86399999, "23:59:59"},    {360000000, "100:00:00"},
  };
  for (const ClockCase& c : cases) EXPECT_EQ(ClockText(c.elapsed).toStdString(), c.text) << c.elapsed;
}

TEST(RecordingPaths, FollowTheTemporaryFolder) {
  test::TempDir dir;
  const QByteArray saved = qgetenv("TMPDIR");
  qputenv("TMPDIR", QByteArray::fromStdString(dir.path()));
  TakeRecordingPaths();
  EXPECT_EQ(g_recording.strTempFolder.toStdString(), dir.path() + "/");
  EXPECT_EQ(MailFolder(g_recording.strTempFolder).toStdString(), dir.path() + "/FMMAPI/");
  if (saved.isEmpty()) qunsetenv("TMPDIR");
  else qputenv("TMPDIR", saved);
}

}  // namespace
}  // namespace scrivel
