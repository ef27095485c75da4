// The main window: its layout, the screen number, paging through thumbnail
// screens with real clicks, and pages arriving from another thread.
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <thread>

#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/pagelist.h"
#include "scrivel/scriveldlg.h"
#include "tests/support/tempdir.h"

namespace {

const QColor kWhite(255, 255, 255);

// A distinct opaque colour per page, as 8-bit RGB (what a grabbed window holds).
QColor PageColour(int k) {
  return QColor(QColor::fromHsv((k * 29) % 360, 200, 120 + (k % 5) * 25).rgb());
}

QList<QImage> MakePages(int count) {
  QList<QImage> pages;
  for (int k = 0; k < count; ++k) {
    QImage page(222, 271, QImage::Format_RGB32);
    page.fill(PageColour(k));
    pages.append(page);
  }
  return pages;
}

class ScrivelDlgTest : public testing::Test {
 protected:
  void SetUp() override {
    // The route library reads its source from the pen configuration: none here.
    setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1);
    // No language texts: the empty area shows no hint (its own test has one)
    // and stays plain white around the thumbnails' places.
    g_strings.Load(QString::fromStdString(m_config.path()), 10001, scrivel::text::kLastAppText);
    m_dlg = std::make_unique<CScrivelDlg>();
    m_dlg->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(m_dlg.get()));
  }
  void TearDown() override { m_dlg.reset(); }

  CGdipButton* Button(int id) { return m_dlg->findChild<CGdipButton*>(QString::number(id)); }
  QLineEdit* Edit() { return m_dlg->findChild<QLineEdit*>(QStringLiteral("1017")); }
  void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton, {}, QPoint(10, 10)); }
  QImage Window() { return m_dlg->grab().toImage(); }

  // Checks one thumbnail slot of the visible screen: page k exactly at its
  // place, or white when the screen has no page there.
  void ExpectSlot(const QImage& shot, int r, int c, int k, int pageCount) {
    const int x = 100 + 240 * c, y = 2 + 280 * r;
    SCOPED_TRACE(testing::Message() << "slot r" << r << " c" << c << " page index " << k);
    const QColor want = k < pageCount ? PageColour(k) : kWhite;
    EXPECT_EQ(shot.pixelColor(x, y), want);
    EXPECT_EQ(shot.pixelColor(x + 111, y + 135), want);
    EXPECT_EQ(shot.pixelColor(x + 221, y + 270), want);
    // Just outside the picture the area is white.
    EXPECT_EQ(shot.pixelColor(x - 1, y + 135), kWhite);
    EXPECT_EQ(shot.pixelColor(x + 222, y + 135), kWhite);
    EXPECT_EQ(shot.pixelColor(x + 111, y + 271), kWhite);
  }

  void ExpectScreen(int screen, int pageCount) {
    const QImage shot = Window();
    for (int r = 0; r < 2; ++r)
      for (int c = 0; c < 3; ++c) ExpectSlot(shot, r, c, (screen - 1) * 6 + 3 * r + c, pageCount);
  }

  scrivel::test::TempDir m_config;
  std::unique_ptr<CScrivelDlg> m_dlg;
};

TEST_F(ScrivelDlgTest, LayoutFollowsTheDialogUnitsWithoutOverlaps) {
  EXPECT_EQ(m_dlg->windowTitle(), QStringLiteral("Scrivel"));
  EXPECT_EQ(m_dlg->size(), QSize(810, 654));
  const struct {
    int id;
    QRect rect;
  } rows[] = {{1000, {12, 0, 78, 78}},   {1001, {12, 91, 78, 78}},   {1002, {364, 609, 47, 45}},
              {1005, {493, 609, 45, 43}}, {1017, {413, 600, 70, 50}}};
  QList<QRect> taken;
  for (const auto& row : rows) {
    auto* control = m_dlg->findChild<QWidget*>(QString::number(row.id));
    ASSERT_NE(control, nullptr) << row.id;
    EXPECT_EQ(control->geometry(), row.rect) << row.id;
    taken.append(control->geometry());
  }
  auto* frame = m_dlg->findChild<QFrame*>(QString(), Qt::FindDirectChildrenOnly);
  ASSERT_NE(frame, nullptr);
  EXPECT_EQ(frame->geometry(), QRect(92, 0, 715, 598));
  taken.append(frame->geometry());
  auto* label = m_dlg->findChild<QLabel*>();
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->text(), QStringLiteral("Version:V1.10"));
  EXPECT_LE(label->sizeHint().width(), label->width()) << "the version text is clipped";
  taken.append(label->geometry());
  for (int i = 0; i < taken.size(); ++i) {
    EXPECT_TRUE(m_dlg->rect().contains(taken[i])) << i;
    for (int j = i + 1; j < taken.size(); ++j)
      EXPECT_FALSE(taken[i].intersects(taken[j])) << i << " and " << j;
  }
  // Resizable and minimisable, not maximisable.
  const Qt::WindowFlags flags = m_dlg->windowFlags();
  EXPECT_TRUE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_FALSE(m_dlg->windowIcon().isNull());
}

TEST_F(ScrivelDlgTest, ButtonsShowTheirPictures) {
  for (const int id : {1000, 1001, 1002, 1005}) {
    ASSERT_NE(Button(id), nullptr) << id;
    EXPECT_TRUE(Button(id)->HasImage()) << id;
    // The middle of each picture is drawn, not the window's background.
    const QImage look = Button(id)->grab().toImage();
    const int middle = id < 1002 ? 32 : 16;
    EXPECT_NE(look.pixelColor(middle, middle / 2), m_dlg->palette().color(QPalette::Window)) << id;
  }
}

TEST_F(ScrivelDlgTest, PageNumberEditIsReadOnlyCentredAndItsTextFits) {
  QLineEdit* edit = Edit();
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->text(), QStringLiteral("1/1"));
  EXPECT_TRUE(edit->isReadOnly());
  EXPECT_EQ(edit->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignHCenter);
  const QFontMetrics metrics(edit->font());
  EXPECT_LE(metrics.height(), edit->height());
  EXPECT_LE(metrics.horizontalAdvance(QStringLiteral("2/3")), edit->width());
  EXPECT_LT(edit->font().weight(), QFont::Normal);
}

TEST_F(ScrivelDlgTest, BeforeAnyDownloadTheAreaIsWhiteAndPagingDoesNothing) {
  const QImage shot = Window();
  const QRect area = m_dlg->ThumbArea();
  EXPECT_EQ(area, QRect(93, 1, 713, 596));
  for (int y = area.top(); y <= area.bottom(); y += 7)
    for (int x = area.left(); x <= area.right(); x += 7)
      ASSERT_EQ(shot.pixelColor(x, y), kWhite) << x << "," << y;
  // The black frame around it.
  EXPECT_EQ(shot.pixelColor(92, 300), QColor(Qt::black));
  EXPECT_EQ(shot.pixelColor(806, 300), QColor(Qt::black));
  EXPECT_EQ(shot.pixelColor(400, 597), QColor(Qt::black));

  Click(1005);
  Click(1002);
  EXPECT_EQ(Edit()->text(), QStringLiteral("1/1"));
  EXPECT_EQ(m_dlg->CurrentScreen(), 1);
}

struct PagingCase {
  int pages;
  int screens;
};

class ScrivelDlgPagingTest : public ScrivelDlgTest,
                             public testing::WithParamInterface<PagingCase> {};

TEST_P(ScrivelDlgPagingTest, PagesThroughEveryScreenAndStopsAtTheEnds) {
  const auto [pages, screens] = GetParam();
  CScrivelDlg::AddPages(MakePages(pages));
  m_dlg->UpdateTotalScreens();
  EXPECT_EQ(m_dlg->TotalScreens(), screens);
  EXPECT_EQ(Edit()->text(), QStringLiteral("1/%1").arg(screens));
  ExpectScreen(1, pages);

  // The previous button does nothing on the first screen.
  Click(1002);
  EXPECT_EQ(m_dlg->CurrentScreen(), 1);
  ExpectScreen(1, pages);

  for (int screen = 2; screen <= screens; ++screen) {
    Click(1005);
    ASSERT_EQ(m_dlg->CurrentScreen(), screen);
    EXPECT_EQ(Edit()->text(), QStringLiteral("%1/%2").arg(screen).arg(screens));
    ExpectScreen(screen, pages);
  }
  // The next button does nothing on the last screen.
  Click(1005);
  EXPECT_EQ(m_dlg->CurrentScreen(), screens);
  EXPECT_EQ(Edit()->text(), QStringLiteral("%1/%1").arg(screens));
  ExpectScreen(screens, pages);

  for (int screen = screens - 1; screen >= 1; --screen) {
    Click(1002);
    ASSERT_EQ(m_dlg->CurrentScreen(), screen);
    EXPECT_EQ(Edit()->text(), QStringLiteral("%1/%2").arg(screen).arg(screens));
    ExpectScreen(screen, pages);
  }
}

INSTANTIATE_TEST_SUITE_P(PageCounts, ScrivelDlgPagingTest,
                         testing::Values(PagingCase{0, 1}, PagingCase{6, 1}, PagingCase{7, 2},
                                         PagingCase{13, 3}),
                         [](const testing::TestParamInfo<PagingCase>& info) {
                           return "Pages" + std::to_string(info.param.pages);
                         });

TEST_F(ScrivelDlgTest, SevenPagesPutTheSeventhAloneAtTheFirstPlace) {
  CScrivelDlg::AddPages(MakePages(7));
  m_dlg->UpdateTotalScreens();
  Click(1005);
  const QImage shot = Window();
  EXPECT_EQ(shot.pixelColor(100, 2), PageColour(6));
  EXPECT_EQ(shot.pixelColor(99, 2), kWhite);
  EXPECT_EQ(shot.pixelColor(100, 1), kWhite);
  EXPECT_EQ(shot.pixelColor(340 + 111, 2 + 135), kWhite);
}

TEST_F(ScrivelDlgTest, PagesFromAnotherThreadShowAfterTheQueuedUpdate) {
  std::thread download([dlg = m_dlg.get()] {
    for (const QImage& page : MakePages(13)) CScrivelDlg::AddPages({page});
    QMetaObject::invokeMethod(dlg, &CScrivelDlg::UpdateTotalScreens, Qt::QueuedConnection);
  });
  download.join();
  QTRY_COMPARE_WITH_TIMEOUT(Edit()->text(), QStringLiteral("1/3"), 5000);
  ExpectScreen(1, 13);
  // A later download appends behind the first and keeps the current screen.
  Click(1005);
  CScrivelDlg::AddPages(MakePages(6));
  m_dlg->UpdateTotalScreens();
  EXPECT_EQ(Edit()->text(), QStringLiteral("2/4"));
  EXPECT_EQ(g_pageBitmaps.Count(), 19);
}

TEST_F(ScrivelDlgTest, ConstructionEmptiesThePageList) {
  CScrivelDlg::AddPages(MakePages(3));
  ASSERT_EQ(g_pageBitmaps.Count(), 3);
  CScrivelDlg second;
  EXPECT_EQ(g_pageBitmaps.Count(), 0);
  EXPECT_EQ(second.TotalScreens(), 1);
}

TEST_F(ScrivelDlgTest, LiveNoteButtonKeepsItsPictureAndTheWindowWorksOn) {
  QSignalSpy clicks(Button(1000), &QAbstractButton::clicked);
  // The live note runs modally: close it with its own close button (1019).
  QTimer::singleShot(200, [] {
    for (QWidget* w : QApplication::topLevelWidgets()) {
      if (auto* close = w->findChild<CGdipButton*>(QStringLiteral("1019")); close && w->isVisible())
        QMetaObject::invokeMethod(close, &QAbstractButton::click, Qt::QueuedConnection);
    }
  });
  Click(1000);
  EXPECT_EQ(clicks.count(), 1);
  EXPECT_TRUE(Button(1000)->HasImage());
  EXPECT_NE(Button(1000)->grab().toImage().pixelColor(32, 16),
            m_dlg->palette().color(QPalette::Window));
  Click(1005);
  EXPECT_EQ(Edit()->text(), QStringLiteral("1/1"));
}

}  // namespace
