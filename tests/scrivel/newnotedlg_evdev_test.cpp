// The live note window on a pen tablet emulated by umockdev, read by the
// route library's evdev source: the handwriting appears on the canvas and
// starts where the hovering pen was when the window opened.

#include <QApplication>
#include <QTest>

#include <gtest/gtest.h>
#include <linux/input.h>

#include <cstdlib>
#include <memory>

#include "note/notepages.h"
#include "scrivel/newnotedlg.h"
#include "tests/support/emulatedtablet.h"
#include "tests/support/tempdir.h"

namespace {

using scrivel::test::EmulatedTablet;

// The window needs an application; it exists only while tests run.
class OffscreenApplication : public testing::Environment {
 public:
  void SetUp() override {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    m_app = std::make_unique<QApplication>(m_argc, m_argv);
  }
  void TearDown() override { m_app.reset(); }

 private:
  int m_argc = 1;
  char m_name[8] = "scrivel";
  char* m_argv[2] = {m_name, nullptr};
  std::unique_ptr<QApplication> m_app;
};
testing::Environment* const kApplication = testing::AddGlobalTestEnvironment(new OffscreenApplication);

TEST(LiveNoteOnEvdev, AnEmulatedTabletDrawsOnTheCanvasFromWhereThePenHovers) {
  scrivel::test::MockDevices devices;
  EmulatedTablet tablet(devices, {5000, 5000, false});  // the pen's -2875, 8000
  ASSERT_TRUE(tablet.ok());
  std::vector<EmulatedTablet::Event> events = {{EV_KEY, BTN_TOUCH, 1}, {EV_SYN, SYN_REPORT, 0}};
  for (int i = 1; i <= 10; ++i) {
    events.push_back({EV_ABS, ABS_X, 5000 + 600 * i});
    events.push_back({EV_SYN, SYN_REPORT, 0});
  }
  events.push_back({EV_KEY, BTN_TOUCH, 0});
  events.push_back({EV_SYN, SYN_REPORT, 0});
  ASSERT_TRUE(tablet.Play(events));
  scrivel::test::TempDir config;
  scrivel::test::WriteFile(config.path() + "/Tavolo Technologies/VeloRoute.conf",
                           std::string("[General]\nRouteSource=evdev:") + EmulatedTablet::kDevnode + "\n");
  setenv("XDG_CONFIG_HOME", config.path().c_str(), 1);
  {
    CNewNoteDlg dlg;
    dlg.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
    ASSERT_NE(ZMTIsConnected(), 0);
    ASSERT_TRUE(QTest::qWaitFor([] { return g_pages[0].strokes.size() == 1; }, 20000));
    const QRect canvas = dlg.Model().CanvasRect();
    EXPECT_EQ(g_pages[0].strokes[0].points.front(), QPointF(PenToCanvas(-2875, 8000, canvas)));
    EXPECT_EQ(g_pages[0].strokes[0].points.size(), 11u);
    EXPECT_NE(dlg.Model().canvas().image().pixel(PenToCanvas(0, 8000, canvas)), qRgb(255, 255, 255));
  }
  ZMTUninit();
}

}  // namespace
