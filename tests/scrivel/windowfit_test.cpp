// Windows on small and scaled screens: the fit factor, the scaled layout,
// and every window of the program shown on a 1366 x 768 screen at 100 % and
// 150 % (a child process each, as a screen's size and scale are fixed when
// the application starts): each fits its screen's available area, the live
// note's pen maps onto its smaller canvas, and pictures are drawn for the
// screen's pixel ratio.
#include <QApplication>
#include <QLineEdit>
#include <QScreen>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "note/notepages.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/newnotedlg.h"
#include "scrivel/notecanvas.h"
#include "scrivel/penwidthdlg.h"
#include "scrivel/saveshare.h"
#include "scrivel/scriveldlg.h"
#include "scrivel/windowfit.h"
#include "tests/support/offscreenscreen.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace {

TEST(WindowFitTest, FactorShrinksToTheTighterSideAndNeverGrows) {
  const struct {
    QSize size, available;
    qreal factor;
  } rows[] = {
      {{502, 776}, {1366, 768}, 768.0 / 776},
      {{502, 776}, {910, 512}, 512.0 / 776},
      {{810, 654}, {902, 480}, 480.0 / 654},
      {{810, 654}, {600, 1000}, 600.0 / 810},
      {{810, 654}, {1920, 1200}, 1.0},
      {{810, 654}, {810, 654}, 1.0},
      {{810, 654}, {0, 0}, 1.0},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.available.width() << "x" << row.available.height());
    EXPECT_DOUBLE_EQ(scrivel::FitFactor(row.size, row.available), row.factor);
  }
}

TEST(WindowFitTest, ScaledLayoutKeepsNeighboursTouchingAndScalesFontsAndPictures) {
  QWidget window;
  window.resize(300, 100);
  auto* left = new CGdipButton(&window);
  left->setGeometry(0, 0, 43, 43);
  auto* right = new CGdipButton(&window);
  right->setGeometry(43, 0, 43, 43);
  auto* edit = new QLineEdit(&window);
  edit->setGeometry(100, 50, 80, 40);
  QFont font = edit->font();
  font.setPixelSize(40);
  edit->setFont(font);
  scrivel::ScaleLayout(&window, 0.66);
  EXPECT_EQ(window.size(), QSize(198, 66));
  EXPECT_EQ(left->geometry().right() + 1, right->geometry().left());
  EXPECT_EQ(right->geometry(), QRect(28, 0, 29, 28));
  EXPECT_EQ(edit->geometry(), QRect(66, 33, 53, 26));
  EXPECT_EQ(edit->font().pixelSize(), 26);
  EXPECT_DOUBLE_EQ(left->PictureScale(), 0.66);
}

// Runs in the child processes below (and on the tests' own large screen).
TEST(WindowFitProbe, EveryWindowFitsTheAvailableArea) {
  scrivel::test::TempDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  g_strings.Load(QStringLiteral(SCRIVEL_APP_DIR), 10001, scrivel::text::kLastAppText);
  const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
  const qreal ratio = QGuiApplication::primaryScreen()->devicePixelRatio();

  {
    CScrivelDlg main;
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    EXPECT_LE(main.width() + scrivel::kDecoration.width(), available.width());
    EXPECT_LE(main.height() + scrivel::kDecoration.height(), available.height());
    // Every control stays inside the window.
    for (QWidget* child : main.findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly))
      EXPECT_TRUE(main.rect().contains(child->geometry())) << child->objectName().toStdString();
  }
  {
    CNewNoteDlg note;
    note.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&note));
    EXPECT_TRUE(available.contains(QRect(available.topLeft(), note.size())));
    // Every button, the bottom row's included, is on the screen.
    for (CGdipButton* button : note.findChildren<CGdipButton*>())
      EXPECT_TRUE(note.rect().contains(button->geometry())) << button->objectName().toStdString();
    // The model's canvas is the canvas control's: the pen's far corner lands
    // in the canvas's far corner.
    EXPECT_EQ(note.Model().CanvasRect().size(), note.CanvasRect().size());
    const QPoint corner = PenToCanvas(5750, 16000, note.Model().CanvasRect());
    EXPECT_EQ(corner, note.Model().CanvasRect().bottomRight() + QPoint(1, 1));
    // Pictures are drawn at the device pixels of their scaled size.
    auto* undo = note.findChild<CGdipButton*>(QStringLiteral("1009"));
    const QImage look = undo->grab().toImage();
    EXPECT_DOUBLE_EQ(look.devicePixelRatio(), ratio);
    const qreal scale = scrivel::LayoutScale(&note);
    EXPECT_DOUBLE_EQ(undo->PictureScale(), scale);
    std::printf("probe: screen %dx%d ratio %.2f note %dx%d scale %.3f\n", available.width(), available.height(),
                ratio, note.width(), note.height(), scale);
  }
  {
    CSaveShare share(QImage(222, 271, QImage::Format_RGB32), false);
    share.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&share));
    EXPECT_LE(share.width() + scrivel::kDecoration.width(), available.width());
    EXPECT_LE(share.height() + scrivel::kDecoration.height(), available.height());
  }
  ZMTUninit();
}

TEST(WindowFitTest, WindowsFitA1366x768ScreenAtEveryScale) {
  scrivel::test::TempDir dir;
  const std::string platform = scrivel::test::OffscreenPlatform(1366, 768, dir.file("screen.json"));
  for (const char* scale : {"1", "1.5", "2"}) {
    SCOPED_TRACE(scale);
    const auto result = scrivel::test::Run(
        "/proc/self/exe", {"--gtest_filter=WindowFitProbe.*"},
        {"QT_QPA_PLATFORM=" + platform, std::string("QT_SCALE_FACTOR=") + scale});
    EXPECT_EQ(result.exitCode, 0) << result.out << result.err;
    EXPECT_NE(result.out.find("[  PASSED  ] 1 test"), std::string::npos) << result.out;
    const size_t probe = result.out.find("probe:");
    if (probe != std::string::npos) std::printf("%s", result.out.substr(probe, result.out.find('\n', probe) + 1 - probe).c_str());
  }
}

}  // namespace
