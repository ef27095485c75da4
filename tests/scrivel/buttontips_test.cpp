// Every image button of the main window, the live note, the width picker and
// the share dialog says what it does, in the language of the module loaded;
// tooltips follow a button's picture; the empty main window shows a hint
// until pages arrive.
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <set>

#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "note/notepages.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/newnotedlg.h"
#include "scrivel/pagelist.h"
#include "scrivel/penwidthdlg.h"
#include "scrivel/saveshare.h"
#include "scrivel/scriveldlg.h"
#include "tests/support/tempdir.h"

namespace {

using namespace scrivel::text;

bool HasHan(const QString& text) {
  return std::any_of(text.begin(), text.end(), [](QChar c) { return c.script() == QChar::Script_Han; });
}

class ButtonTipsTest : public testing::Test {
 protected:
  void SetUp() override { setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1); }
  void TearDown() override {
    g_strings.Load(QStringLiteral(SCRIVEL_APP_DIR), 10001, kLastAppText);
    ZMTUninit();
  }
  static void LoadLanguage(const char* language) {
    ASSERT_FALSE(g_strings.Load(QStringLiteral(SCRIVEL_APP_DIR), 10001, kLastAppText, {language}).isEmpty());
  }
  scrivel::test::TempDir m_config;
};

TEST_F(ButtonTipsTest, EveryImageButtonSaysWhatItDoesInTheUsersLanguage) {
  for (const char* language : {"zh-CN", "en-US"}) {
    SCOPED_TRACE(language);
    LoadLanguage(language);
    const bool chinese = QLocale(QString::fromLatin1(language)).language() == QLocale::Chinese;
    std::vector<std::unique_ptr<QWidget>> windows;
    windows.push_back(std::make_unique<CScrivelDlg>());
    windows.push_back(std::make_unique<CNewNoteDlg>());
    windows.push_back(std::make_unique<CPenWidthDlg>());
    windows.push_back(std::make_unique<CSaveShare>(QImage(222, 271, QImage::Format_RGB32), false));
    const size_t buttonCounts[] = {4, 17, 3, 4};
    for (size_t w = 0; w < windows.size(); ++w) {
      SCOPED_TRACE(windows[w]->metaObject()->className());
      const QList<CGdipButton*> buttons = windows[w]->findChildren<CGdipButton*>();
      EXPECT_EQ(size_t(buttons.size()), buttonCounts[w]);
      std::set<QString> tips;
      for (const CGdipButton* button : buttons) {
        SCOPED_TRACE(button->objectName().toStdString());
        const QString tip = button->toolTip();
        EXPECT_FALSE(tip.isEmpty());
        EXPECT_EQ(HasHan(tip), chinese) << tip.toStdString();
        tips.insert(tip);
      }
      EXPECT_EQ(tips.size(), size_t(buttons.size())) << "two buttons say the same";
    }
    // Buttons with keys name them after their text.
    auto* note = windows[1].get();
    EXPECT_EQ(note->findChild<CGdipButton*>(QStringLiteral("1009"))->toolTip(),
              g_strings.Get(kTipUndo) + QStringLiteral(" (Ctrl+Z)"));
    EXPECT_EQ(note->findChild<CGdipButton*>(QStringLiteral("1010"))->toolTip(),
              g_strings.Get(kTipRedo) + QStringLiteral(" (Ctrl+Y)"));
    EXPECT_EQ(note->findChild<CGdipButton*>(QStringLiteral("1011"))->toolTip(), g_strings.Get(kTipAddPicture));
  }
}

TEST_F(ButtonTipsTest, TipsFollowTheButtonsPicture) {
  LoadLanguage("en-US");
  CNewNoteDlg note;
  auto* reconnect = note.findChild<CGdipButton*>(QStringLiteral("1000"));
  auto* mode = note.findChild<CGdipButton*>(QStringLiteral("1001"));
  // No pen receiver here: not connected.
  EXPECT_EQ(reconnect->toolTip(), g_strings.Get(kTipPenNotConnected));
  note.HandleRouteEvent(ZMTEvent{ZMT_EVT_RECEIVER_ARRIVED, 0, 0});
  EXPECT_EQ(reconnect->toolTip(), g_strings.Get(kTipPenConnected));
  note.HandleRouteEvent(ZMTEvent{ZMT_EVT_RECEIVER_GONE, 0, 0});
  EXPECT_EQ(reconnect->toolTip(), g_strings.Get(kTipPenNotConnected));

  const QString before = mode->toolTip();
  note.OnPenMode();
  EXPECT_NE(mode->toolTip(), before);
  EXPECT_EQ(mode->toolTip(), g_strings.Get(g_bPenModeOne ? kTipPenModeOne : kTipPenModeTwo));
  note.OnPenMode();
  EXPECT_EQ(mode->toolTip(), before);
}

TEST_F(ButtonTipsTest, EmptyMainWindowShowsAHintUntilPagesArrive) {
  LoadLanguage("en-US");
  CScrivelDlg dlg;
  dlg.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&dlg));
  const QRect area = dlg.ThumbArea();
  const auto nonWhite = [&](const QRect& skip) {
    const QImage shot = dlg.grab().toImage().convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
      for (int x = area.left(); x <= area.right(); ++x)
        if (!skip.contains(x, y) && shot.pixel(x, y) != qRgb(255, 255, 255)) ++count;
    return count;
  };
  EXPECT_GT(nonWhite(QRect()), 100) << "no hint in the empty area";

  QImage page(222, 271, QImage::Format_RGB32);
  page.fill(Qt::darkBlue);
  CScrivelDlg::AddPages({page});
  dlg.UpdateTotalScreens();
  // Only the first thumbnail remains; the hint is gone.
  const QRect first(CScrivelDlg::kThumbLeft, CScrivelDlg::kThumbTop, 222, 271);
  EXPECT_EQ(nonWhite(first), 0);
}

}  // namespace
