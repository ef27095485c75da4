// The live note's keys act on the model exactly as its buttons do; Tab shows
// where the keyboard focus is; the main window outlives Escape; minimised,
// the live note is a window of its own in the task bar.
#include <QApplication>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <vector>

#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "note/notepages.h"
#include "scrivel/gdipbutton.h"
#include "scrivel/newnotedlg.h"
#include "scrivel/notecanvas.h"
#include "scrivel/scriveldlg.h"
#include "tests/support/tempdir.h"

namespace {

// What the user can see of the note's model after a step.
struct NoteState {
  int page = 0, pageCount = 0, eraser = 0;
  std::vector<size_t> strokes, redoStrokes;
  QImage canvas;
  bool operator==(const NoteState&) const = default;
};

class NoteKeysTest : public testing::Test {
 protected:
  void SetUp() override {
    setenv("XDG_CONFIG_HOME", m_config.path().c_str(), 1);
    g_strings.Load(QStringLiteral(SCRIVEL_APP_DIR), 10001, scrivel::text::kLastAppText);
  }
  void TearDown() override { ZMTUninit(); }

  static std::unique_ptr<CNewNoteDlg> OpenNote() {
    auto note = std::make_unique<CNewNoteDlg>();
    note->show();
    note->activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(note.get()));
    return note;
  }
  static void Stroke(CNewNoteDlg& note, int y) {
    note.HandleRouteEvent(ZMTEvent{1, -4000, int16_t(y)});
    note.HandleRouteEvent(ZMTEvent{2, 4000, int16_t(y + 500)});
    note.HandleRouteEvent(ZMTEvent{3, 4000, int16_t(y + 500)});
  }
  static NoteState State(CNewNoteDlg& note) {
    NoteState state{g_nCurPage, g_nPageCount, note.Eraser(), {}, {}, {}};
    for (const StorePageInfo& page : g_pages) {
      state.strokes.push_back(page.strokes.size());
      state.redoStrokes.push_back(page.redoStrokes.size());
    }
    state.canvas = note.Canvas()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    return state;
  }
  scrivel::test::TempDir m_config;
};

struct Step {
  const char* name;
  int button;
  QKeySequence key;
};

TEST_F(NoteKeysTest, KeysDoWhatTheirButtonsDo) {
  const Step steps[] = {
      {"undo", 1009, QKeySequence(Qt::CTRL | Qt::Key_Z)},
      {"undo again", 1009, QKeySequence(Qt::CTRL | Qt::Key_Z)},
      {"redo", 1010, QKeySequence(Qt::CTRL | Qt::Key_Y)},
      {"redo the other way", 1010, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)},
      {"next page: a new one", 1013, QKeySequence(Qt::Key_PageDown)},
      {"new page", 1013, QKeySequence(Qt::CTRL | Qt::Key_N)},
      {"previous page", 1012, QKeySequence(Qt::Key_PageUp)},
      {"previous page again", 1012, QKeySequence(Qt::Key_PageUp)},
      {"next page: an old one", 1013, QKeySequence(Qt::Key_PageDown)},
      {"eraser on", 1007, QKeySequence(Qt::Key_E)},
      {"eraser off", 1007, QKeySequence(Qt::Key_E)},
  };
  // The same script twice: once by clicks, once by keys.
  std::vector<NoteState> byButton, byKey;
  for (const bool keys : {false, true}) {
    auto note = OpenNote();
    for (int y : {2000, 5000, 8000}) Stroke(*note, y);
    std::vector<NoteState>& states = keys ? byKey : byButton;
    for (const Step& step : steps) {
      if (keys) QTest::keySequence(note.get(), step.key);
      else QTest::mouseClick(note->findChild<CGdipButton*>(QString::number(step.button)), Qt::LeftButton);
      states.push_back(State(*note));
    }
  }
  for (size_t i = 0; i < std::size(steps); ++i) {
    SCOPED_TRACE(steps[i].name);
    EXPECT_EQ(byKey[i].page, byButton[i].page);
    EXPECT_EQ(byKey[i].pageCount, byButton[i].pageCount);
    EXPECT_EQ(byKey[i].eraser, byButton[i].eraser);
    EXPECT_EQ(byKey[i].strokes, byButton[i].strokes);
    EXPECT_EQ(byKey[i].redoStrokes, byButton[i].redoStrokes);
    EXPECT_TRUE(byKey[i].canvas == byButton[i].canvas);
  }
  // The script did something at every step it names.
  EXPECT_EQ(byKey[0].strokes[0], 2u);
  EXPECT_EQ(byKey[1].strokes[0], 1u);
  EXPECT_EQ(byKey[3].strokes[0], 3u);
  EXPECT_EQ(byKey[5].pageCount, 3);
  EXPECT_EQ(byKey[7].page, 0);
  EXPECT_EQ(byKey[8].page, 1);
  EXPECT_EQ(byKey[9].eraser, 1);
  EXPECT_EQ(byKey[10].eraser, 0);
}

TEST_F(NoteKeysTest, CtrlWClosesTheNote) {
  auto note = OpenNote();
  QTest::keySequence(note.get(), QKeySequence(Qt::CTRL | Qt::Key_W));
  EXPECT_FALSE(note->isVisible());
}

TEST_F(NoteKeysTest, TabShowsTheFocusAndAClickDoesNotTakeIt) {
  auto note = OpenNote();
  auto* undo = note->findChild<CGdipButton*>(QStringLiteral("1009"));
  const QImage unfocused = undo->grab().toImage();
  // A click leaves the focus where it was: Space cannot press it unseen.
  QTest::mouseClick(undo, Qt::LeftButton);
  EXPECT_FALSE(undo->hasFocus());

  QWidget* focused = nullptr;
  for (int i = 0; i < 40 && focused != undo; ++i) {
    QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : note.get(), Qt::Key_Tab);
    focused = QApplication::focusWidget();
    ASSERT_NE(qobject_cast<CGdipButton*>(focused), nullptr) << "Tab reached something else";
  }
  ASSERT_EQ(focused, undo);
  const QImage shown = undo->grab().toImage();
  EXPECT_NE(shown, unfocused);
  const QColor frame = undo->palette().color(QPalette::Highlight);
  EXPECT_EQ(shown.pixelColor(1, shown.height() / 2).rgb(), frame.rgb());

  // Space presses the button the frame shows.
  Stroke(*note, 3000);
  ASSERT_EQ(g_pages[0].strokes.size(), 1u);
  QTest::keyClick(undo, Qt::Key_Space);
  EXPECT_EQ(g_pages[0].strokes.size(), 0u);
}

TEST_F(NoteKeysTest, EscapeLeavesTheMainWindowOpenWhileItsCloseButtonEndsIt) {
  CScrivelDlg main;
  main.show();
  main.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&main));
  QTest::keyClick(&main, Qt::Key_Escape);
  EXPECT_TRUE(main.isVisible());
  main.close();
  EXPECT_FALSE(main.isVisible());
}

TEST_F(NoteKeysTest, MinimisedNoteIsAWindowOfItsOwnAndTheMainWindowBringsItBack) {
  CScrivelDlg main;
  main.show();
  ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
  CNewNoteDlg* note = nullptr;
  bool wasOwnWindow = false, restored = false;
  QTimer::singleShot(0, [&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* n = qobject_cast<CNewNoteDlg*>(w); n != nullptr && n->isVisible()) note = n;
    ASSERT_NE(note, nullptr);
    // Its own window: a task bar entry with the title and the icon.
    wasOwnWindow = note->windowType() == Qt::Window && note->windowHandle()->transientParent() == nullptr &&
                   note->windowTitle() == QStringLiteral("Scrivel") && !note->windowIcon().isNull();
    note->findChild<CGdipButton*>(QStringLiteral("1021"))->click();
    QApplication::processEvents();
    // The user brings up the main window: the note comes back instead.
    main.activateWindow();
    QTest::qWait(50);
    restored = !note->isMinimized() && note->isVisible();
    note->OnCloseNote();
  });
  main.findChild<CGdipButton*>(QStringLiteral("1000"))->click();
  EXPECT_TRUE(wasOwnWindow);
  EXPECT_TRUE(restored);
}

}  // namespace
