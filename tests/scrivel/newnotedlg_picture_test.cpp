// Pictures and the eraser in the live note window, offscreen with real mouse
// events on the canvas: adding BMP and JPG pictures through the add-picture
// button (the file dialog answered by the test), dragging, resizing by each
// edge, pushing against each border, undo and redo with the buttons, the
// eraser's cursor, erasing that stays erased through repaints, page switches
// and minimising, erasing near the border, and unreadable picture files.
#include <QApplication>
#include <QCursor>
#include <QFileDialog>
#include <QLineEdit>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

#include "lang/languagestrings.h"
#include "note/notepages.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/newnotedlg.h"
#include "scrivel/notecanvas.h"
#include "tests/scrivel/livenotewindowtest.h"
#include "tests/support/tempdir.h"

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QColor kRed(220, 20, 20), kGreen(20, 180, 40);

bool Near(QRgb pixel, const QColor& colour, int tolerance = 0) {
  return std::abs(qRed(pixel) - colour.red()) <= tolerance &&
         std::abs(qGreen(pixel) - colour.green()) <= tolerance &&
         std::abs(qBlue(pixel) - colour.blue()) <= tolerance;
}

// Ink of a pen stroke through `p` (a one-pixel line lands within a pixel
// of where it was aimed, anti-aliased).
bool Ink(const QImage& image, QPoint p) {
  for (int dy = -1; dy <= 1; ++dy) {
    const QRgb c = image.pixel(p.x(), p.y() + dy);
    if (qRed(c) + qGreen(c) + qBlue(c) < 200) return true;
  }
  return false;
}
bool NoInk(const QImage& image, QPoint p) {
  for (int dy = -1; dy <= 1; ++dy)
    if (image.pixel(p.x(), p.y() + dy) != qRgb(255, 255, 255)) return false;
  return true;
}

class NoteWindowPictureTest : public LiveNoteWindowTest {
 protected:
  void SetUp() override {
    LiveNoteWindowTest::SetUp();
    // Red on the left half, green on the right.
    QImage picture(60, 40, QImage::Format_RGB32);
    picture.fill(kRed);
    for (int y = 0; y < 40; ++y)
      for (int x = 30; x < 60; ++x) picture.setPixel(x, y, kGreen.rgb());
    m_bmp = File("photo.bmp");
    m_jpg = File("photo.jpg");
    ASSERT_TRUE(picture.save(m_bmp, "BMP"));
    ASSERT_TRUE(picture.save(m_jpg, "JPG"));
    m_dlg->m_chooseImagePath = [this] { return m_answer; };
  }

  QString File(const std::string& name) { return QString::fromStdString(m_files.file(name)); }
  CGdipButton* Button(int id) { return m_dlg->findChild<CGdipButton*>(QString::number(id)); }
  void Click(int id) { QTest::mouseClick(Button(id), Qt::LeftButton, {}, QPoint(10, 10)); }
  void AddPicture(const QString& path) {
    m_answer = path;
    Click(1011);
  }
  void Inject(uint16_t type, int x, int y) { m_dlg->HandleRouteEvent(ZMTEvent{type, int16_t(x), int16_t(y)}); }
  void PenStroke(QPoint from, QPoint to) {
    const QRect canvas = m_dlg->Model().CanvasRect();
    // Canvas pixels back to the pen's range.
    const auto pen = [&](QPoint p) {
      return QPoint(p.x() * 11500 / canvas.width() - 5750, p.y() * 16000 / canvas.height());
    };
    const QPoint a = pen(from), b = pen(to);
    Inject(1, a.x(), a.y());
    for (int i = 1; i <= 8; ++i)
      Inject(2, a.x() + (b.x() - a.x()) * i / 8, a.y() + (b.y() - a.y()) * i / 8);
    Inject(3, b.x(), b.y());
  }

  // Real mouse input on the canvas, at canvas pixels.
  QPoint OnControl(QPoint canvasPoint) { return m_dlg->Canvas()->FromCanvas(canvasPoint); }
  void Press(QPoint p) { QTest::mousePress(m_dlg->Canvas(), Qt::LeftButton, {}, OnControl(p)); }
  void MoveTo(QPoint p) { QTest::mouseMove(m_dlg->Canvas(), OnControl(p)); }
  void Release(QPoint p) { QTest::mouseRelease(m_dlg->Canvas(), Qt::LeftButton, {}, OnControl(p)); }
  // Press at `from`, move in `steps` steps to `to`, release there.
  void MouseDrag(QPoint from, QPoint to, int steps = 4) {
    Press(from);
    for (int i = 1; i <= steps; ++i) MoveTo(from + (to - from) * i / steps);
    Release(to);
  }

  // What the canvas control shows, in canvas pixels.
  QImage Shown() {
    const QRect canvas = m_dlg->CanvasRect();
    return m_dlg->Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32).copy(canvas);
  }
  QRect Area() { return g_pages[size_t(g_nCurPage)].pictures.back().areas.back(); }
  StorePageInfo& Page() { return g_pages[size_t(g_nCurPage)]; }

  scrivel::test::TempDir m_files;
  QString m_bmp, m_jpg;
  std::optional<QString> m_answer;
};

TEST_F(NoteWindowPictureTest, APictureFillsTheCanvasUnderTheStrokesAndCancelAddsNothing) {
  PenStroke({50, 300}, {450, 300});
  m_answer = std::nullopt;
  Click(1011);
  EXPECT_TRUE(Page().pictures.empty());
  EXPECT_EQ(Page().history.size(), 2u);

  for (const QString& path : {m_bmp, m_jpg}) {
    SCOPED_TRACE(path.toStdString());
    AddPicture(path);
    const QImage shown = Shown();
    EXPECT_TRUE(Near(shown.pixel(100, 100), kRed, 30));
    EXPECT_TRUE(Near(shown.pixel(400, 600), kGreen, 30));
    EXPECT_TRUE(Near(shown.pixel(0, 0), kRed, 30));
    EXPECT_TRUE(Near(shown.pixel(499, 681), kGreen, 30));
    EXPECT_TRUE(Ink(shown, {250, 300})) << "the stroke on top";
    EXPECT_EQ(Area(), QRect(0, 0, 500, 682));
    EXPECT_EQ(Page().pictures.back().path, path);
  }
  EXPECT_EQ(Page().lastPicture, 1);
  EXPECT_EQ(Page().history.back().picture, 1);
}

// Runs `action` with the file dialog once it is up (the click that opens it
// blocks), and again on each tick while the dialog stays up: the dialog loads
// its folder in the background and may refuse a first answer.
void WithFileDialog(std::function<void(QFileDialog*)> action) {
  auto* timer = new QTimer;
  timer->setInterval(10);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
    if (dialog == nullptr) return;
    if (!timer->property("seen").toBool()) {
      timer->setProperty("seen", true);
      QObject::connect(dialog, &QDialog::finished, timer, [timer] {
        timer->stop();
        timer->deleteLater();
      });
    }
    action(dialog);
  });
  timer->start();
}

// Types `path` (absolute) into the dialog's file name field and presses Open.
void OpenInFileDialog(QFileDialog* dialog, const QString& path) {
  auto* name = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
  ASSERT_NE(name, nullptr);
  name->setText(path);
  static_cast<QDialog*>(dialog)->accept();  // as the Open button does
}

TEST_F(NoteWindowPictureTest, TheFileDialogAsksForAnExistingPictureFile) {
  m_dlg->m_chooseImagePath = &CNewNoteDlg::AskImagePath;
  QStringList filters;
  QFileDialog::FileMode mode = QFileDialog::AnyFile;
  WithFileDialog([&](QFileDialog* dialog) {
    filters = dialog->nameFilters();
    mode = dialog->fileMode();
    dialog->reject();
  });
  Click(1011);
  EXPECT_EQ(filters, (QStringList{QStringLiteral("image(*.bmp *.jpg *.jpeg *.png)"), QStringLiteral("All Files (*)")}));
  EXPECT_EQ(mode, QFileDialog::ExistingFile);
  EXPECT_TRUE(Page().pictures.empty()) << "cancelled: nothing added";
  WithFileDialog([&](QFileDialog* dialog) { OpenInFileDialog(dialog, m_bmp); });
  Click(1011);
  ASSERT_EQ(Page().pictures.size(), 1u);
  EXPECT_EQ(Page().pictures[0].path, m_bmp);
  EXPECT_TRUE(Near(Shown().pixel(100, 100), kRed));
}

TEST_F(NoteWindowPictureTest, TheMouseMovesAndResizesByEachEdgeAndPushesAgainstEachBorder) {
  AddPicture(m_bmp);
  // Make it small first: the right edge from 499 to 300, the bottom from 681 to 400.
  MouseDrag({497, 300}, {297, 300});
  EXPECT_EQ(Area(), QRect(0, 0, 300, 682));
  MouseDrag({150, 675}, {150, 395});
  EXPECT_EQ(Area(), QRect(0, 0, 300, 402));
  // A move into the middle.
  MouseDrag({150, 200}, {250, 300});
  ASSERT_EQ(Area(), QRect(100, 100, 300, 402));
  struct Row {
    const char* what;
    QPoint from, to;
    QRect area;
  } rows[] = {
      {"left edge", {102, 300}, {142, 300}, QRect(140, 100, 260, 402)},
      {"right edge", {398, 300}, {378, 310}, QRect(140, 100, 240, 402)},
      {"top edge", {250, 108}, {250, 158}, QRect(140, 150, 240, 352)},
      {"bottom edge", {250, 496}, {250, 456}, QRect(140, 150, 240, 312)},
      {"pushed left", {250, 300}, {50, 300}, QRect(0, 150, 180, 312)},
      {"pushed up", {100, 300}, {100, 100}, QRect(0, 0, 180, 262)},
      {"pushed right", {100, 100}, {500, 100}, QRect(400, 0, 100, 262)},
      {"pushed down", {450, 100}, {450, 600}, QRect(400, 500, 100, 182)},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    const size_t entries = Page().history.size();
    MouseDrag(row.from, row.to);
    EXPECT_EQ(Area(), row.area);
    EXPECT_EQ(Page().history.size(), entries + 1);
    EXPECT_EQ(Page().history.back().picture, 0);
    EXPECT_EQ(Page().dragging, 0);
    // The canvas shows the picture in its area, red left and green right,
    // white around it.
    const QImage shown = Shown();
    const QRect a = row.area;
    EXPECT_TRUE(Near(shown.pixel(a.x() + 3, a.y() + a.height() / 2), kRed, 10));
    EXPECT_TRUE(Near(shown.pixel(a.x() + a.width() - 4, a.y() + a.height() / 2), kGreen, 10));
    if (a.x() > 0) {
      EXPECT_EQ(shown.pixel(a.x() - 1, a.y() + 5), kWhite);
    }
    if (a.y() > 0) {
      EXPECT_EQ(shown.pixel(a.x() + 5, a.y() - 1), kWhite);
    }
  }
}

TEST_F(NoteWindowPictureTest, UndoAndRedoButtonsTakeDragsAndTheAdditionBackAndForth) {
  PenStroke({50, 650}, {450, 650});
  const QImage start = Shown();
  AddPicture(m_bmp);
  std::vector<QImage> shown{Shown()};
  std::vector<QRect> areas{Area()};
  MouseDrag({497, 300}, {247, 300});
  MouseDrag({100, 300}, {200, 350});
  MouseDrag({150, 675}, {150, 475});
  // Record the canvas after each drag by undoing and redoing.
  std::vector<QImage> after;
  std::vector<QRect> afterAreas;
  for (int k = 0; k < 3; ++k) {
    after.insert(after.begin(), Shown());
    afterAreas.insert(afterAreas.begin(), Area());
    Click(1009);
  }
  EXPECT_EQ(Shown(), shown[0]);
  EXPECT_EQ(Area(), areas[0]);
  for (int round = 0; round < 2; ++round) {
    for (int k = 0; k < 3; ++k) {
      Click(1010);
      ASSERT_EQ(Shown(), after[size_t(k)]) << "redo " << k;
      ASSERT_EQ(Area(), afterAreas[size_t(k)]);
    }
    for (int k = 2; k >= 0; --k) {
      Click(1009);
      ASSERT_EQ(Shown(), k > 0 ? after[size_t(k - 1)] : shown[0]) << "undo " << k;
    }
  }
  // Undo the addition: the picture goes, the stroke stays; a repaint agrees.
  Click(1009);
  EXPECT_EQ(Shown(), start);
  EXPECT_TRUE(Page().pictures[0].areas.empty());
  m_dlg->PaintPage();
  EXPECT_EQ(Shown().pixel(100, 100), kWhite);
  EXPECT_TRUE(Ink(Shown(), {250, 650}));
  Click(1010);
  EXPECT_EQ(Shown(), shown[0]);
}

TEST_F(NoteWindowPictureTest, TheEraserButtonSwitchesTheCursor) {
  EXPECT_EQ(m_dlg->Eraser(), 0);
  Click(1007);
  EXPECT_EQ(m_dlg->Eraser(), 1);
  EXPECT_EQ(m_dlg->cursor().shape(), Qt::BitmapCursor);
  const QPixmap eraser = m_dlg->cursor().pixmap();
  EXPECT_EQ(eraser.size(), QSize(32, 32));
  EXPECT_EQ(m_dlg->Canvas()->cursor().shape(), Qt::BitmapCursor) << "the canvas shows it too";
  Click(1007);
  EXPECT_EQ(m_dlg->Eraser(), 0);
  EXPECT_EQ(m_dlg->cursor().shape(), Qt::CrossCursor);
}

TEST_F(NoteWindowPictureTest, ErasingStaysErasedThroughRepaintPageSwitchMinimiseAndDrag) {
  AddPicture(m_bmp);
  MouseDrag({497, 300}, {297, 300});  // the picture: 0..298 wide
  PenStroke({50, 300}, {450, 300});
  ASSERT_TRUE(Ink(Shown(), {100, 300}));
  ASSERT_TRUE(Ink(Shown(), {400, 300}));
  const QImage before = Shown();
  Click(1007);
  // Across the stroke and the picture: from x 80 to 380 at y 295.
  MouseDrag({80, 295}, {380, 295}, 60);
  const QImage erased = Shown();
  for (const QPoint p : {QPoint(100, 300), QPoint(250, 300), QPoint(350, 300)})
    EXPECT_TRUE(NoInk(erased, p)) << p.x() << "," << p.y();
  EXPECT_TRUE(Near(erased.pixel(100, 293), kRed)) << "above the squares";
  EXPECT_TRUE(Ink(erased, {420, 300})) << "beyond them";
  EXPECT_EQ(Page().erasures.size(), 1u);
  const auto check = [&](const char* after) {
    SCOPED_TRACE(after);
    const QImage now = Shown();
    EXPECT_TRUE(NoInk(now, {100, 300}));
    EXPECT_TRUE(NoInk(now, {250, 300}));
    EXPECT_TRUE(NoInk(now, {350, 300}));
    EXPECT_TRUE(Ink(now, {420, 300}));
    EXPECT_TRUE(Near(now.pixel(100, 293), kRed));
  };
  m_dlg->PaintPage();
  check("a repaint");
  Click(1013);
  Click(1012);
  check("a page switch");
  Click(1021);
  ASSERT_TRUE(m_dlg->isMinimized());
  m_dlg->showNormal();
  QTest::qWait(20);
  check("minimised and restored");
  // A drag redraw, with the eraser off: the picture moves down by 20, its
  // erased strip with it; the erased ink stays where it was.
  Click(1007);
  MouseDrag({150, 500}, {150, 520});
  ASSERT_EQ(Area(), QRect(0, 20, 300, 662));
  const QImage dragged = Shown();
  EXPECT_TRUE(NoInk(dragged, {350, 300})) << "erased ink";
  EXPECT_TRUE(Ink(dragged, {420, 300}));
  EXPECT_EQ(dragged.pixel(100, 315), kWhite) << "the picture's erased strip moved with it";
  EXPECT_TRUE(Near(dragged.pixel(100, 300), kRed, 40)) << "the picture shows where it was";
  // Undo the drag and the erase: everything back.
  Click(1009);
  Click(1009);
  EXPECT_EQ(Shown(), before);
  m_dlg->PaintPage();
  EXPECT_TRUE(Ink(Shown(), {100, 300})) << "a repaint brings the ink back";
  Click(1010);
  EXPECT_EQ(Shown(), erased);
}

TEST_F(NoteWindowPictureTest, ErasingNeedsTheLeftButtonAloneAndDoesNothingAtTheBorder) {
  PenStroke({0, 300}, {499, 300});
  PenStroke({250, 0}, {250, 681});
  Click(1007);
  const QImage before = Shown();
  // Along the left and bottom borders: the squares would leave the canvas.
  MouseDrag({5, 280}, {5, 320}, 10);
  MouseDrag({240, 676}, {260, 676}, 10);
  EXPECT_EQ(Shown(), before);
  // The mouse moving without a button, or with Shift held, erases nothing.
  MoveTo({100, 295});
  MoveTo({120, 295});
  QTest::mousePress(m_dlg->Canvas(), Qt::LeftButton, Qt::ShiftModifier, OnControl({150, 295}));
  QTest::mouseMove(m_dlg->Canvas(), OnControl({200, 295}));
  QTest::mouseRelease(m_dlg->Canvas(), Qt::LeftButton, Qt::ShiftModifier, OnControl({200, 295}));
  EXPECT_TRUE(Ink(Shown(), {110, 300}));
  // Just inside the border it erases.
  MouseDrag({10, 295}, {12, 295}, 2);
  EXPECT_TRUE(NoInk(Shown(), {1, 300}));
}

TEST_F(NoteWindowPictureTest, AnUnreadablePictureKeepsItsRecordAndDrawsNothing) {
  scrivel::test::WriteFile(m_files.file("broken.jpg"), std::string(300, '\x7f'));
  PenStroke({50, 300}, {450, 300});
  const QImage before = Shown();
  AddPicture(File("broken.jpg"));
  AddPicture(File("missing.bmp"));
  ASSERT_EQ(Page().pictures.size(), 2u);
  EXPECT_EQ(Shown().pixel(100, 100), kWhite);
  EXPECT_TRUE(Ink(Shown(), {250, 300}));
  // Grabbed, dragged and repainted without harm; undo takes all back.
  MouseDrag({250, 200}, {200, 150});
  m_dlg->PaintPage();
  EXPECT_EQ(Shown().pixel(100, 100), kWhite);
  for (int k = 0; k < 3; ++k) Click(1009);
  EXPECT_EQ(Shown(), before);
}

}  // namespace
