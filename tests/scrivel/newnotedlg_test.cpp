// The live note window offscreen: its layout, pen events injected as the
// route library delivers them, undo and redo with real clicks checked
// against the canvas after each stroke, pages, the refused deletion of the
// only page, the width picker, the colour dialog, the pen mode, the share
// button and the recording controls.
#include <QApplication>
#include <QColorDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>

#include "lang/languagestrings.h"
#include "note/notepages.h"
#include "recording/recordingstate.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/newnotedlg.h"
#include "recording/noterecorder.h"
#include "scrivel/notecanvas.h"
#include "scrivel/penwidthdlg.h"
#include "scrivel/saveshare.h"
#include "tests/scrivel/livenotewindowtest.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace {

const QRgb kWhite = qRgb(255, 255, 255);

// Runs `action` once the next modal window is up (the click that opens it blocks).
void WhenModal(std::function<void()> action) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    QWidget* modal = QApplication::activeModalWidget();
    QWidget* popup = QApplication::activePopupWidget();
    if (modal == nullptr && popup == nullptr) return;
    timer->stop();
    timer->deleteLater();
    action();
  });
  timer->start();
}

template <typename T>
T* TopLevel() {
  for (QWidget* w : QApplication::topLevelWidgets())
    if (auto* t = qobject_cast<T*>(w); t != nullptr && t->isVisible()) return t;
  return nullptr;
}

class NewNoteDlgTest : public LiveNoteWindowTest {
 protected:

  CGdipButton* Button(int id) { return m_dlg->findChild<CGdipButton*>(QString::number(id)); }
  QLineEdit* Edit(int id) { return m_dlg->findChild<QLineEdit*>(QString::number(id)); }
  void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton, {}, QPoint(10, 10)); }
  void Inject(uint16_t type, int x, int y) { m_dlg->HandleRouteEvent(ZMTEvent{type, int16_t(x), int16_t(y)}); }
  void Stroke(const std::vector<QPoint>& pen) {
    Inject(1, pen[0].x(), pen[0].y());
    for (size_t i = 1; i < pen.size(); ++i) Inject(2, pen[i].x(), pen[i].y());
    Inject(3, pen.back().x(), pen.back().y());
  }
  // What the canvas control shows, in canvas pixels.
  QImage Shown() {
    const QRect canvas = m_dlg->CanvasRect();
    return m_dlg->Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(canvas);
  }
  QPoint At(int x, int y) { return PenToCanvas(x, y, m_dlg->Model().CanvasRect()); }
};

TEST_F(NewNoteDlgTest, LayoutFollowsTheDialogUnits) {
  EXPECT_EQ(m_dlg->size(), QSize(502, 776));
  struct Row {
    int id;
    QRect geometry;
  } rows[] = {
      {1000, {0, 0, 43, 43}},    {1001, {43, 0, 43, 43}},    {1005, {89, 0, 43, 43}},
      {1006, {134, 1, 43, 35}},  {1007, {180, 1, 43, 43}},   {1011, {224, 1, 43, 43}},
      {1009, {267, 3, 43, 39}},  {1010, {313, 3, 43, 39}},   {1016, {358, 1, 43, 43}},
      {1021, {404, 3, 43, 43}},  {1019, {449, 3, 43, 43}},   {1015, {0, 733, 43, 43}},
      {1018, {120, 733, 45, 43}}, {1003, {168, 733, 43, 43}}, {1012, {213, 735, 43, 41}},
      {1013, {348, 735, 43, 39}}, {1008, {400, 733, 43, 43}},
  };
  for (const Row& r : rows) {
    SCOPED_TRACE(r.id);
    ASSERT_NE(Button(r.id), nullptr);
    EXPECT_EQ(Button(r.id)->geometry(), r.geometry);
    EXPECT_TRUE(Button(r.id)->HasImage());
  }
  EXPECT_FALSE(Button(1018)->isVisible());
  EXPECT_FALSE(Edit(1020)->isVisible());
  EXPECT_TRUE(Edit(1017)->isReadOnly());
  EXPECT_EQ(Edit(1017)->text(), QStringLiteral("1/1"));
  EXPECT_EQ(Edit(1017)->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
  EXPECT_EQ(m_dlg->Canvas()->geometry(), QRect(0, 46, 500, 684));
  EXPECT_EQ(m_dlg->CanvasRect(), QRect(0, 1, 500, 682));
  // The colour strip under button 1006 starts black.
  const QImage window = m_dlg->GrabClientArea();
  EXPECT_EQ(window.size(), m_dlg->size());
  EXPECT_EQ(window.pixelColor(140, 37), QColor(Qt::black));
  EXPECT_EQ(window.pixelColor(160, 37), QColor(Qt::black));
}

TEST_F(NewNoteDlgTest, StrokesLandWherePenToCanvasPutsThem) {
  Stroke({{-3000, 4000}, {-1000, 4000}, {-1000, 9000}});
  const QImage shown = Shown();
  const QPoint a = At(-3000, 4000), b = At(-1000, 4000), c = At(-1000, 9000);
  EXPECT_EQ(shown.pixel((a.x() + b.x()) / 2, a.y()), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel(b.x(), (b.y() + c.y()) / 2), qRgb(0, 0, 0));
  EXPECT_EQ(shown.pixel((a.x() + b.x()) / 2, a.y() + 3), kWhite);
  EXPECT_EQ(shown.pixel(b.x() + 3, (b.y() + c.y()) / 2), kWhite);
  EXPECT_EQ(shown, m_dlg->Model().canvas().image());
  // Off the pen's range: clamped onto the canvas edge.
  Stroke({{-20000, 100}, {-20000, 15000}});
  EXPECT_NE(Shown().pixel(0, 300), kWhite);
  ASSERT_EQ(g_pages[0].strokes.size(), 2u);
  EXPECT_EQ(g_pages[0].strokes[1].points[0], QPointF(0, 4));
  // Pen events 4 to 7 and unknown types change nothing.
  const QImage before = Shown();
  for (uint16_t type : {4, 5, 6, 7, 9, 30}) Inject(type, 0, 8000);
  EXPECT_EQ(Shown(), before);
  EXPECT_EQ(g_bPenUp, 1);
}

TEST_F(NewNoteDlgTest, MoveWhileIdleStartsAStrokeAndUpWithoutDownStoresNothing) {
  Stroke({{-4000, 2000}, {-2000, 2000}});
  Inject(2, 3000, 12000);  // no pen down before it
  Inject(2, 4000, 12000);
  Inject(3, 4000, 12000);
  Inject(3, 4000, 12000);  // a second up: idle already
  ASSERT_EQ(g_pages[0].strokes.size(), 2u);
  EXPECT_EQ(g_pages[0].history.size(), 3u);
  // Nothing joins the first stroke's end to the second's start.
  const QPoint from = At(-2000, 2000), to = At(3000, 12000);
  EXPECT_EQ(Shown().pixel((from.x() + to.x()) / 2, (from.y() + to.y()) / 2), kWhite);
}

TEST_F(NewNoteDlgTest, UndoAndRedoButtonsRestoreEachStrokesCanvasExactly) {
  std::vector<QImage> full{Shown()};
  for (int s = 0; s < 6; ++s) {
    Stroke({{-5000 + 1500 * s, 1000}, {-4000 + 1500 * s, 6000 + 1000 * s}, {-5000 + 1500 * s, 15000}});
    full.push_back(Shown());
  }
  for (int k = 5; k >= 0; --k) {
    Click(1009);
    ASSERT_EQ(Shown(), full[size_t(k)]) << "after undo to " << k;
  }
  Click(1009);  // only the first entry left: nothing happens
  EXPECT_EQ(Shown(), full[0]);
  for (int k = 1; k <= 6; ++k) {
    Click(1010);
    ASSERT_EQ(Shown(), full[size_t(k)]) << "after redo to " << k;
  }
  // Undo twice, then a new stroke: redo has nothing left.
  Click(1009);
  Click(1009);
  Stroke({{0, 500}, {500, 500}});
  const QImage now = Shown();
  Click(1010);
  EXPECT_EQ(Shown(), now);
  EXPECT_EQ(g_pages[0].strokes.size(), 5u);
}

TEST_F(NewNoteDlgTest, PagesAreAddedSwitchedAndDeletedWithTheButtons) {
  Stroke({{-4000, 3000}, {4000, 3000}});
  const QImage pageOne = Shown();
  Click(1012);  // previous on the first page
  EXPECT_EQ(Edit(1017)->text(), QStringLiteral("1/1"));
  Click(1013);  // next on the last page: a new page
  EXPECT_EQ(Edit(1017)->text(), QStringLiteral("2/2"));
  EXPECT_EQ(Shown().pixel(At(0, 3000)), kWhite);
  Stroke({{-4000, 9000}, {4000, 9000}});
  const QImage pageTwo = Shown();
  Click(1012);
  EXPECT_EQ(Edit(1017)->text(), QStringLiteral("1/2"));
  EXPECT_EQ(Shown(), pageOne);
  Click(1013);
  EXPECT_EQ(Edit(1017)->text(), QStringLiteral("2/2"));
  EXPECT_EQ(Shown(), pageTwo);
  Click(1003);  // delete the last page: back to the first
  EXPECT_EQ(Edit(1017)->text(), QStringLiteral("1/1"));
  EXPECT_EQ(Shown(), pageOne);
  EXPECT_EQ(g_nPageCount, 1);
  // Undo brings the deleted page back, and shows it.
  Click(1009);
  EXPECT_EQ(Edit(1017)->text(), QStringLiteral("2/2"));
  EXPECT_EQ(Shown(), pageTwo);
  Click(1003);
  EXPECT_EQ(Edit(1017)->text(), QStringLiteral("1/1"));
  // Clear page: white; undo brings the page's writing back, redo clears again.
  Click(1008);
  EXPECT_EQ(Shown().pixel(At(0, 3000)), kWhite);
  EXPECT_TRUE(g_pages[0].strokes.empty());
  Click(1009);
  EXPECT_EQ(Shown(), pageOne);
  EXPECT_EQ(g_pages[0].strokes.size(), 1u);
  Click(1010);
  EXPECT_EQ(Shown().pixel(At(0, 3000)), kWhite);
}

TEST_F(NewNoteDlgTest, DeletingTheOnlyPageIsRefusedWithAMessage) {
  scrivel::test::DialogAnswerer answers;
  Stroke({{-4000, 3000}, {4000, 3000}});
  const QImage before = Shown();
  Click(1003);
  ASSERT_EQ(answers.texts().size(), 1);
  EXPECT_EQ(answers.texts()[0], g_strings.Get(10003));
  EXPECT_EQ(answers.titles()[0], g_strings.Get(10004));
  EXPECT_FALSE(g_strings.Get(10003).isEmpty());
  EXPECT_EQ(g_nPageCount, 1);
  EXPECT_EQ(g_pages.size(), 1u);
  EXPECT_EQ(Shown(), before);
  EXPECT_EQ(Edit(1017)->text(), QStringLiteral("1/1"));
}

TEST_F(NewNoteDlgTest, WidthPickerDropsUnderItsButtonAndSetsTheNextStrokesWidth) {
  Stroke({{-5000, 2000}, {5000, 2000}});
  QPoint pickerAt;
  WhenModal([&] {
    auto* picker = TopLevel<CPenWidthDlg>();
    ASSERT_NE(picker, nullptr);
    pickerAt = picker->pos();
    QTest::mouseClick(picker->findChild<CGdipButton*>(QStringLiteral("1002")), Qt::LeftButton, {},
                      QPoint(10, 10));
  });
  Click(1005);
  const QPoint button = Button(1005)->mapToGlobal(QPoint(0, 0));
  EXPECT_EQ(pickerAt, QPoint(button.x(), button.y() + Button(1005)->height() - 5));
  EXPECT_EQ(m_dlg->PenWidth(), 3);
  Stroke({{-5000, 8000}, {5000, 8000}});
  ASSERT_EQ(g_pages[0].strokes.size(), 2u);
  EXPECT_EQ(g_pages[0].strokes[0].width, 1);
  EXPECT_EQ(g_pages[0].strokes[1].width, 3);
  const QImage shown = Shown();
  const int y1 = At(0, 2000).y(), y3 = At(0, 8000).y();
  EXPECT_EQ(shown.pixel(250, y1 + 1), kWhite);
  EXPECT_NE(shown.pixel(250, y3 + 1), kWhite);
  EXPECT_NE(shown.pixel(250, y3 - 1), kWhite);

  // Dismissed without a choice: the width stays.
  WhenModal([] { TopLevel<CPenWidthDlg>()->reject(); });
  Click(1005);
  EXPECT_EQ(m_dlg->PenWidth(), 3);
}

TEST_F(NewNoteDlgTest, ColourDialogSetsTheNextStrokesColourAndTheStrip) {
  Stroke({{-5000, 2000}, {5000, 2000}});
  WhenModal([] {
    auto* dialog = TopLevel<QColorDialog>();
    ASSERT_NE(dialog, nullptr);
    dialog->setCurrentColor(QColor(200, 0, 0));
    dialog->accept();
  });
  Click(1006);
  EXPECT_EQ(m_dlg->PenColor(), MakeColorRef(200, 0, 0));
  EXPECT_EQ(m_dlg->GrabClientArea().pixelColor(140, 37), QColor(200, 0, 0));
  Stroke({{-5000, 8000}, {5000, 8000}});
  EXPECT_EQ(g_pages[0].strokes[0].color, 0u);
  EXPECT_EQ(g_pages[0].strokes[1].color, MakeColorRef(200, 0, 0));
  EXPECT_EQ(Shown().pixel(250, At(0, 8000).y()), qRgb(200, 0, 0));
  EXPECT_EQ(Shown().pixel(250, At(0, 2000).y()), qRgb(0, 0, 0));
  // Cancelled: the colour stays and the strip shows it again.
  WhenModal([] {
    auto* dialog = TopLevel<QColorDialog>();
    dialog->setCurrentColor(QColor(0, 0, 255));
    dialog->reject();
  });
  Click(1006);
  EXPECT_EQ(m_dlg->PenColor(), MakeColorRef(200, 0, 0));
  EXPECT_EQ(m_dlg->GrabClientArea().pixelColor(140, 37), QColor(200, 0, 0));
}

TEST_F(NewNoteDlgTest, PenModeSurvivesReopeningWhileEachOpeningSetsPropertyOne) {
  ASSERT_NE(m_dlg->RouteHandle(), -1);
  g_bPenModeOne = 1;
  uint32_t mode = 0;
  ZMTGetProperty(m_dlg->RouteHandle(), 16, &mode);
  EXPECT_EQ(mode, 1u);
  Click(1001);
  EXPECT_EQ(g_bPenModeOne, 0);
  ZMTGetProperty(m_dlg->RouteHandle(), 16, &mode);
  EXPECT_EQ(mode, 2u);
  m_dlg.reset();
  ZMTUninit();
  Open();
  EXPECT_EQ(g_bPenModeOne, 0) << "the mode outlives the window";
  ZMTGetProperty(m_dlg->RouteHandle(), 16, &mode);
  EXPECT_EQ(mode, 1u) << "each opening sets property 16 to 1";
  Click(1001);
  EXPECT_EQ(g_bPenModeOne, 1);
  ZMTGetProperty(m_dlg->RouteHandle(), 16, &mode);
  EXPECT_EQ(mode, 1u);
}

TEST_F(NewNoteDlgTest, RestoringFromMinimisedRepaintsThePageFromItsStrokes) {
  Stroke({{-5000, 2000}, {5000, 2000}});
  // Pixels that no stroke or picture holds (as the eraser leaves them).
  m_dlg->Canvas()->UpdateCanvas(m_dlg->Model().canvas().Fill(QRect(10, 300, 50, 50), Qt::red));
  EXPECT_EQ(Shown().pixel(20, 310), qRgb(255, 0, 0));
  Click(1021);
  EXPECT_TRUE(m_dlg->isMinimized());
  m_dlg->showNormal();
  QTest::qWait(20);
  const QImage shown = Shown();
  EXPECT_EQ(shown.pixel(20, 310), kWhite);
  EXPECT_NE(shown.pixel(250, At(0, 2000).y()), kWhite) << "the stroke is drawn again";
}

// The share button offers every page up to the current one in turn, each
// with its own newest canvas, and passes on whether a video was recorded.
TEST_F(NewNoteDlgTest, ShareButtonOpensOneDialogPerPageUpToTheCurrentOne) {
  Stroke({{-3000, 2000}, {-1000, 2000}});  // page 1: a line near the top
  Click(1013);                              // page 2
  Stroke({{-3000, 12000}, {-1000, 12000}}); // page 2: a line near the bottom
  Click(1013);                              // page 3, after the current one: not offered
  Click(1012);                              // back to page 2
  ASSERT_EQ(Edit(1017)->text(), QStringLiteral("2/3"));
  scrivel::g_recording.bVideoReady = 1;

  const QPoint top = At(-2000, 2000), bottom = At(-2000, 12000);
  struct Seen {
    bool inkTop, inkBottom, videoReady, modal;
  };
  std::vector<Seen> seen;
  QTimer closer;
  QObject::connect(&closer, &QTimer::timeout, [&] {
    auto* share = qobject_cast<CSaveShare*>(QApplication::activeModalWidget());
    if (share == nullptr || share->property("seen").toBool()) return;
    share->setProperty("seen", true);
    const QImage& page = share->PagePicture();
    seen.push_back({page.pixel(top) != kWhite, page.pixel(bottom) != kWhite, share->VideoReady(),
                    share->isModal()});
    share->reject();
  });
  closer.start(10);
  Click(1016);
  closer.stop();
  scrivel::g_recording.bVideoReady = 0;

  ASSERT_EQ(seen.size(), 2u);
  EXPECT_TRUE(seen[0].inkTop);
  EXPECT_FALSE(seen[0].inkBottom);
  EXPECT_FALSE(seen[1].inkTop);
  EXPECT_TRUE(seen[1].inkBottom);
  for (const Seen& s : seen) {
    EXPECT_TRUE(s.videoReady);
    EXPECT_TRUE(s.modal);
  }
}

// The note window's own recording controls, without a sound server: the
// record button shows the pause button and the clock, the pen writes while
// the clock runs, and closing the window stops and saves the video.
TEST_F(NewNoteDlgTest, RecordingRunsFromTheWindowsButtonsAndClosingSavesIt) {
  setenv("PULSE_SERVER", "unix:/nonexistent/scrivel-no-sound-server", 1);
  scrivel::test::TempDir temp;
  setenv("TMPDIR", temp.path().c_str(), 1);
  const std::string output = temp.file("Lecture.mp4");
  m_dlg->Recorder()->SetSaveDialog([&](QWidget*) { return QString::fromStdString(output); });
  scrivel::test::DialogAnswerer answerer;
  answerer.Plan(QMessageBox::Yes);  // no microphone: record without sound

  Click(1015);
  ASSERT_EQ(scrivel::g_recording.nState, 1);
  EXPECT_TRUE(Button(1018)->isVisible());
  EXPECT_TRUE(Edit(1020)->isVisible());
  Stroke({{-3000, 2000}, {-1000, 2000}, {0, 4000}});
  // Generous: the clock passes its first second while the window records.
  for (int i = 0; i < 300 && Edit(1020)->text() != QStringLiteral("00:00:01"); ++i) QTest::qWait(20);
  EXPECT_EQ(Edit(1020)->text(), QStringLiteral("00:00:01"));

  answerer.Plan(QMessageBox::Ok);  // the saved notice
  Click(1019);
  EXPECT_FALSE(m_dlg->isVisible());
  EXPECT_EQ(scrivel::g_recording.nState, 0);
  ASSERT_EQ(answerer.texts().size(), 2);
  EXPECT_EQ(answerer.texts()[1], g_strings.Get(10005));
  const scrivel::test::RunResult probe =
      scrivel::test::Run("/usr/bin/ffprobe", {"-v", "error", "-show_entries", "stream=codec_name,width,height",
                                              "-of", "csv=p=0", output});
  EXPECT_EQ(probe.out, "h264,352,288\n") << probe.err;
  unsetenv("TMPDIR");
}

TEST_F(NewNoteDlgTest, CloseButtonEndsTheModalRun) {
  QTimer::singleShot(50, [this] { Click(1019); });
  EXPECT_EQ(m_dlg->exec(), 0);
  EXPECT_FALSE(m_dlg->isVisible());
}

}  // namespace
