// The image button: its three looks against pictures with known pixels, the
// hover brightening, replacing the picture, double clicks, missing pictures.
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <cstdlib>

#include "scrivel/gdipbutton.h"
#include "scrivel/gdiplusbitmapresource.h"

namespace {

const QColor kBackground(200, 200, 200);
const QString kPng = QStringLiteral("PNG");

// ":/png/9001.png" (40 x 40): see tests/scrivel/data/README.md.
constexpr unsigned kKnownPixels = 9001;
constexpr unsigned kGreen = 9002;
constexpr unsigned kNotAPicture = 9003;
constexpr unsigned kMissing = 9999;

::testing::AssertionResult Near(QRgb actual, QColor expected, int tolerance = 0) {
  const QColor a = QColor::fromRgb(actual);
  if (std::abs(a.red() - expected.red()) <= tolerance &&
      std::abs(a.green() - expected.green()) <= tolerance &&
      std::abs(a.blue() - expected.blue()) <= tolerance)
    return ::testing::AssertionSuccess();
  return ::testing::AssertionFailure() << "pixel (" << a.red() << "," << a.green() << ","
                                       << a.blue() << ") expected (" << expected.red() << ","
                                       << expected.green() << "," << expected.blue() << ")";
}

// Black at alpha 128 over the background, per channel.
int Blend(int colour, int background) { return (colour * 128 + background * 127 + 127) / 255; }

class GdipButtonTest : public testing::Test {
 protected:
  void SetUp() override {
    QPalette palette = m_window.palette();
    palette.setColor(QPalette::Window, kBackground);
    m_window.setPalette(palette);
    m_window.resize(120, 80);
    m_button = new CGdipButton(&m_window);
    m_button->setGeometry(10, 10, 32, 32);
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
  }

  QImage Look() { return m_button->grab().toImage(); }

  QWidget m_window;
  CGdipButton* m_button = nullptr;
};

TEST_F(GdipButtonTest, NormalLookDrawsThePictureUnscaledOverTheBackground) {
  ASSERT_TRUE(m_button->LoadNormalImage(kKnownPixels, kPng));
  const QImage look = Look();
  ASSERT_EQ(look.size(), QSize(32, 32));
  EXPECT_TRUE(Near(look.pixel(0, 0), QColor(100, 50, 200)));
  EXPECT_TRUE(Near(look.pixel(9, 9), QColor(100, 50, 200)));
  EXPECT_TRUE(Near(look.pixel(10, 0), QColor(255, 255, 255)));
  EXPECT_TRUE(Near(look.pixel(25, 5), QColor(Blend(0, 200), Blend(0, 200), Blend(0, 200)), 2));
  EXPECT_TRUE(Near(look.pixel(5, 15), QColor(250, 10, 0)));
  EXPECT_TRUE(Near(look.pixel(5, 25), kBackground));
  // The picture is 40 x 40: it is clipped, not shrunk, so (31,31) shows its
  // own pixel and the red edge at 39 stays outside.
  EXPECT_TRUE(Near(look.pixel(31, 31), QColor(0, 0, 255)));
  for (int i = 0; i < 31; ++i) {
    EXPECT_TRUE(Near(look.pixel(31, i), kBackground)) << "y " << i;
    EXPECT_TRUE(Near(look.pixel(i, 31), kBackground)) << "x " << i;
  }
}

TEST_F(GdipButtonTest, PressedLookMovesThePictureOnePixelRightAndDown) {
  ASSERT_TRUE(m_button->LoadNormalImage(kKnownPixels, kPng));
  QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  ASSERT_TRUE(m_button->isDown());
  const QImage pressed = Look();
  EXPECT_TRUE(Near(pressed.pixel(0, 0), kBackground));
  EXPECT_TRUE(Near(pressed.pixel(5, 0), kBackground));
  EXPECT_TRUE(Near(pressed.pixel(1, 1), QColor(100, 50, 200)));
  EXPECT_TRUE(Near(pressed.pixel(10, 10), QColor(100, 50, 200)));
  EXPECT_TRUE(Near(pressed.pixel(11, 1), QColor(255, 255, 255)));
  EXPECT_TRUE(Near(pressed.pixel(6, 16), QColor(250, 10, 0)));
  QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  EXPECT_TRUE(Near(Look().pixel(0, 0), QColor(100, 50, 200)));
}

TEST(HotChannelTest, BrightensByFivePercentPlusFivePercentOfFullScaleClamped) {
  const struct {
    int in, out;
  } rows[] = {{0, 13}, {50, 65}, {100, 118}, {128, 147}, {200, 223}, {230, 254}, {231, 255},
              {255, 255}};
  for (const auto& row : rows) EXPECT_EQ(CGdipButton::HotChannel(row.in), row.out) << row.in;
}

TEST_F(GdipButtonTest, HoverLookShowsAfterTheMouseRestsAndGoesWhenItLeaves) {
  ASSERT_TRUE(m_button->LoadNormalImage(kKnownPixels, kPng));
  QTest::mouseMove(&m_window, QPoint(26, 26));
  QTRY_VERIFY_WITH_TIMEOUT(m_button->IsHovering(), 5000);
  const QImage hover = Look();
  EXPECT_TRUE(Near(hover.pixel(5, 5), QColor(118, 65, 223)));
  EXPECT_TRUE(Near(hover.pixel(15, 5), QColor(255, 255, 255)));
  EXPECT_TRUE(Near(hover.pixel(5, 15), QColor(255, 23, 13)));
  // Alpha stays 128: the brightened black (13) still blends with the background.
  EXPECT_TRUE(Near(hover.pixel(25, 5), QColor(Blend(13, 200), Blend(13, 200), Blend(13, 200)), 2));
  // Transparent pixels stay transparent: the background is not brightened.
  EXPECT_TRUE(Near(hover.pixel(5, 25), kBackground));

  QTest::mouseMove(&m_window, QPoint(100, 70));
  QTRY_VERIFY_WITH_TIMEOUT(!m_button->IsHovering(), 5000);
  EXPECT_TRUE(Near(Look().pixel(5, 5), QColor(100, 50, 200)));
}

TEST_F(GdipButtonTest, ResetWithAnotherPictureRefreshesEveryLook) {
  ASSERT_TRUE(m_button->LoadNormalImage(kKnownPixels, kPng));
  // Render all looks from the first picture.
  EXPECT_TRUE(Near(Look().pixel(5, 5), QColor(100, 50, 200)));
  QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  EXPECT_TRUE(Near(Look().pixel(6, 6), QColor(100, 50, 200)));
  QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(16, 16));

  m_button->ResetNormalImage(1, kGreen, kPng);
  EXPECT_TRUE(Near(Look().pixel(5, 5), QColor(0, 160, 0)));
  EXPECT_TRUE(Near(Look().pixel(31, 31), QColor(0, 160, 0)));
  QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  const QImage pressed = Look();
  EXPECT_TRUE(Near(pressed.pixel(0, 0), kBackground));
  EXPECT_TRUE(Near(pressed.pixel(6, 6), QColor(0, 160, 0)));
  QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  QTest::mouseMove(&m_window, QPoint(26, 26));
  QTRY_VERIFY_WITH_TIMEOUT(m_button->IsHovering(), 5000);
  EXPECT_TRUE(Near(Look().pixel(5, 5), QColor(13, 181, 13)));
}

TEST_F(GdipButtonTest, ResetWithFlagZeroKeepsThePicture) {
  ASSERT_TRUE(m_button->LoadNormalImage(kKnownPixels, kPng));
  m_button->ResetNormalImage(0, kGreen, kPng);
  EXPECT_TRUE(Near(Look().pixel(5, 5), QColor(100, 50, 200)));
}

TEST_F(GdipButtonTest, DoubleClickCountsAsTwoClicks) {
  ASSERT_TRUE(m_button->LoadNormalImage(kKnownPixels, kPng));
  QSignalSpy clicks(m_button, &QAbstractButton::clicked);
  QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  QTest::mouseDClick(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  EXPECT_TRUE(m_button->isDown()) << "the double click presses the button";
  QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  EXPECT_EQ(clicks.count(), 2);
}

TEST_F(GdipButtonTest, MissingOrUndecodablePictureLeavesAPlainButton) {
  for (const unsigned id : {kMissing, kNotAPicture}) {
    EXPECT_FALSE(m_button->LoadNormalImage(id, kPng)) << id;
    EXPECT_FALSE(m_button->HasImage()) << id;
    m_button->update();
    const QImage normal = Look();
    for (const QPoint p : {QPoint(0, 0), QPoint(5, 5), QPoint(31, 31)})
      EXPECT_TRUE(Near(normal.pixel(p), kBackground)) << id;
    QTest::mousePress(m_button, Qt::LeftButton, {}, QPoint(16, 16));
    EXPECT_TRUE(Near(Look().pixel(5, 5), kBackground)) << id;
    QTest::mouseRelease(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  }
  // A missing picture still clicks.
  QSignalSpy clicks(m_button, &QAbstractButton::clicked);
  QTest::mouseClick(m_button, Qt::LeftButton, {}, QPoint(16, 16));
  EXPECT_EQ(clicks.count(), 1);
}

TEST_F(GdipButtonTest, LooksFollowTheWindowBackground) {
  ASSERT_TRUE(m_button->LoadNormalImage(kKnownPixels, kPng));
  EXPECT_TRUE(Near(Look().pixel(5, 25), kBackground));
  QPalette palette = m_window.palette();
  palette.setColor(QPalette::Window, QColor(30, 60, 90));
  m_window.setPalette(palette);
  EXPECT_TRUE(Near(Look().pixel(5, 25), QColor(30, 60, 90)));
  EXPECT_TRUE(Near(Look().pixel(5, 5), QColor(100, 50, 200)));
}

TEST_F(GdipButtonTest, AScaledLayoutDrawsThePictureAtTheScaledSize) {
  ASSERT_TRUE(m_button->LoadNormalImage(kKnownPixels, kPng));
  EXPECT_TRUE(Near(Look().pixel(31, 31), QColor(0, 0, 255))) << "unscaled: its own pixel";
  m_button->SetPictureScale(0.5);
  const QImage look = Look();
  // 40 x 40 drawn as 20 x 20: the purple square is 5 pixels, then white.
  EXPECT_TRUE(Near(look.pixel(2, 2), QColor(100, 50, 200), 2));
  EXPECT_TRUE(Near(look.pixel(7, 2), QColor(255, 255, 255), 2));
  EXPECT_TRUE(Near(look.pixel(25, 25), kBackground));
  EXPECT_TRUE(Near(look.pixel(31, 31), kBackground));
}

TEST_F(GdipButtonTest, TooltipFollowsThePicture) {
  m_button->SetImageTips({{kKnownPixels, QStringLiteral("known")}, {0, QStringLiteral("any other")}});
  EXPECT_EQ(m_button->toolTip(), QStringLiteral("any other")) << "no picture yet";
  m_button->LoadNormalImage(kKnownPixels, kPng);
  EXPECT_EQ(m_button->toolTip(), QStringLiteral("known"));
  m_button->ResetNormalImage(1, kGreen, kPng);
  EXPECT_EQ(m_button->toolTip(), QStringLiteral("any other"));
}

// Pixels neither transparent nor opaque: the soft edges of a drawing.
int SoftPixels(const QImage& image) {
  int soft = 0;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x)
      if (const int a = qAlpha(image.pixel(x, y)); a > 0 && a < 255) ++soft;
  return soft;
}

TEST(BitmapResourceTest, OtherSizesAreRenderedSharpFromTheSvgSource) {
  for (const unsigned id : {164u, 184u, 144u}) {
    SCOPED_TRACE(id);
    CGdiPlusBitmapResource picture;
    ASSERT_TRUE(picture.Load(id, kPng));
    const QSize own = picture.Bitmap().size();
    EXPECT_EQ(picture.Rendered(own), picture.Bitmap()) << "its own size: the picture itself";
    const QImage twice = picture.Rendered(own * 2);
    ASSERT_EQ(twice.size(), own * 2);
    // The same drawing: shrunk back it matches the picture closely...
    const QImage back = twice.scaled(own, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    long difference = 0;
    for (int y = 0; y < own.height(); ++y)
      for (int x = 0; x < own.width(); ++x) difference += std::abs(qAlpha(back.pixel(x, y)) - qAlpha(picture.Bitmap().pixel(x, y)));
    EXPECT_LT(difference / (own.width() * own.height()), 12);
    // ...but its edges stay one pixel soft where an enlarged picture's blur.
    const QImage enlarged = picture.Bitmap().scaled(own * 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    EXPECT_LT(SoftPixels(twice) * 3, SoftPixels(enlarged) * 2);
  }
  // Without a source the picture is scaled smoothly.
  CGdiPlusBitmapResource known;
  ASSERT_TRUE(known.Load(kKnownPixels, kPng));
  EXPECT_EQ(known.Rendered(QSize(20, 20)),
            known.Bitmap().scaled(20, 20, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

}  // namespace
