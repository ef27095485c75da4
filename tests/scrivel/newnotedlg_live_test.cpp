// The live note window with real pen events: a "penemu live" process writes
// through the route library's unix: source and the handwriting appears on
// the canvas; a window destroyed while the pen writes on is never reached
// again; the main window's live note button runs the window and ends the
// route library after it. (A tablet through evdev: newnotedlg_evdev_test.cpp.)
#include <QApplication>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>

#include "nibroute/nibroute.h"
#include "note/notepages.h"
#include "penemu/livescript.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/newnotedlg.h"
#include "scrivel/notecanvas.h"
#include "scrivel/scriveldlg.h"
#include "tests/support/emulatedlivepen.h"
#include "tests/support/tempdir.h"


namespace {

using namespace std::chrono_literals;
const QRgb kWhite = qRgb(255, 255, 255);

template <typename Condition>
bool WaitFor(Condition condition, std::chrono::milliseconds timeout = 60s) {
  QElapsedTimer timer;
  timer.start();
  while (!condition()) {
    if (timer.elapsed() > timeout.count()) return false;
    QTest::qWait(5);
  }
  return true;
}

int Ink(const QImage& image, const QRect& area) {
  int ink = 0;
  for (int y = area.top(); y <= area.bottom(); ++y)
    for (int x = area.left(); x <= area.right(); ++x) ink += image.pixel(x, y) != kWhite;
  return ink;
}

class LiveNoteTest : public testing::Test {
 protected:
  void TearDown() override { ZMTUninit(); }
};

TEST_F(LiveNoteTest, HandwritingFromPenemuLiveAppearsOnTheCanvas) {
  const std::string text = "Hello pen";
  const std::vector<scrivel::penemu::LiveEvent> script = scrivel::penemu::LiveEventsFromText(text);
  const size_t strokes = scrivel::penemu::StrokeCount(script);
  scrivel::test::EmulatedLivePen pen({"--text", text, "--rate", "4000"});
  ASSERT_TRUE(pen.ready());
  pen.UseInThisProcess();
  CNewNoteDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  ASSERT_NE(ZMTIsConnected(), 0);
  ASSERT_TRUE(WaitFor([&] { return g_pages[0].strokes.size() == strokes; }))
      << g_pages[0].strokes.size() << " of " << strokes << " strokes";
  EXPECT_TRUE(pen.WaitUntilWritten(1));
  EXPECT_EQ(g_bPenUp, 1);
  EXPECT_EQ(g_pages[0].history.size(), strokes + 1);

  // Each stroke starts where PenToCanvas puts the pen's first point.
  const QRect canvas = dlg.Model().CanvasRect();
  const QPoint first = PenToCanvas(script[0].x, script[0].y, canvas);
  EXPECT_EQ(g_pages[0].strokes[0].points[0], QPointF(first));
  // The handwriting is on the canvas the window shows, and only in the
  // band of the first line.
  QTest::qWait(20);
  const QImage shown = dlg.Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(dlg.CanvasRect());
  EXPECT_EQ(shown, dlg.Model().canvas().image());
  int top = canvas.height(), bottom = 0;
  for (const auto& e : script) {
    const QPoint p = PenToCanvas(e.x, e.y, canvas);
    top = std::min(top, p.y());
    bottom = std::max(bottom, p.y());
  }
  EXPECT_GT(Ink(shown, QRect(0, top, canvas.width(), bottom - top + 1)), 200);
  EXPECT_EQ(Ink(shown, QRect(0, bottom + 3, canvas.width(), canvas.height() - bottom - 3)), 0);

  // The pen hangs up: the connection button shows it, the note stays.
  pen.process().stop();
  ASSERT_TRUE(WaitFor([] { return ZMTIsConnected() == 0; }));
  QTest::qWait(50);
  EXPECT_EQ(g_pages[0].strokes.size(), strokes);
}

TEST_F(LiveNoteTest, AWindowDestroyedWhileThePenWritesIsNeverNotified) {
  scrivel::test::EmulatedLivePen pen(
      {"--text", "a long line of handwriting that keeps the pen busy for a while", "--rate", "3000"});
  ASSERT_TRUE(pen.ready());
  pen.UseInThisProcess();
  {
    auto dlg = std::make_unique<CNewNoteDlg>();
    dlg->show();
    ASSERT_TRUE(WaitFor([] { return !g_pages.empty() && g_pages[0].strokes.size() >= 3; }));
  }
  // The route library keeps delivering to the receiver of the gone window.
  const auto strokesThen = g_pages[0].strokes.size();
  QTest::qWait(300);
  EXPECT_EQ(g_pages[0].strokes.size(), strokesThen);
  EXPECT_NE(ZMTIsConnected(), 0);
}

TEST_F(LiveNoteTest, MainWindowRunsTheLiveNoteAndEndsTheRouteAfterIt) {
  scrivel::test::TempDir config;
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  CScrivelDlg main;
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  bool sawNote = false;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      auto* note = qobject_cast<CNewNoteDlg*>(w);
      if (note == nullptr || !note->isVisible()) continue;
      sawNote = true;
      EXPECT_EQ(note->parentWidget(), nullptr);
      EXPECT_TRUE(note->isModal());
      uint32_t value = 0;
      EXPECT_EQ(ZMTGetProperty(note->RouteHandle(), 1, &value), 0);
      QTest::mouseClick(note->findChild<CGdipButton*>(QStringLiteral("1019")), Qt::LeftButton, {},
                        QPoint(10, 10));
    }
  });
  closer.start(20);
  QTest::mouseClick(main.findChild<CGdipButton*>(QStringLiteral("1000")), Qt::LeftButton, {},
                    QPoint(10, 10));
  closer.stop();
  EXPECT_TRUE(sawNote);
  // The route library was uninitialised when the live note closed.
  uint32_t value = 0;
  EXPECT_EQ(ZMTGetProperty(0, 1, &value), ZMT_E_NOTINIT);
  // The pages outlive the window (the share dialog reads them).
  EXPECT_EQ(g_pages.size(), 1u);
  EXPECT_FALSE(PagePicture(0).isNull());
}


}  // namespace
