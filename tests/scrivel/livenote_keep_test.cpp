// A live note written with the pen (penemu live) in a process of its own
// outlives that process: after a SIGKILL the next start recovers every
// completed stroke into the note's document and says where, in one message
// box; after a clean close the document is there with no journal left, and
// Debian's xournalpp renders it as the canvas showed it.
#include <QDir>
#include <QImage>

#include <gtest/gtest.h>

#include <csignal>
#include <cstdlib>
#include <thread>

#include "note/notejournal.h"
#include "penemu/livescript.h"
#include "scrivel/noterecovery.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/emulatedlivepen.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"
#include "tests/support/xournalrender.h"
#include "xopp/xoppreader.h"

namespace {

using namespace std::chrono_literals;

// Strokes of two points or more: those that leave ink.
size_t InkStrokes(const std::vector<scrivel::penemu::LiveEvent>& script) {
  size_t strokes = 0, points = 0;
  for (const auto& e : script) {
    if (e.type == scrivel::penemu::LiveEvent::kDown) points = 1;
    if (e.type == scrivel::penemu::LiveEvent::kMove) ++points;
    if (e.type == scrivel::penemu::LiveEvent::kUp) strokes += points >= 2;
  }
  return strokes;
}

size_t PenStrokes(const XoppDocument& doc) {
  size_t n = 0;
  for (const XoppPage& page : doc.pages)
    for (const XoppElement& e : page.elements)
      n += std::holds_alternative<XoppStroke>(e) && std::get<XoppStroke>(e).tool == XoppStroke::Tool::Pen;
  return n;
}

QStringList Files(const QString& folder, const QString& pattern) {
  return QDir(folder).entryList({pattern}, QDir::Files);
}

TEST(LiveNoteKeepTest, EveryCompletedStrokeOutlivesAKillAndACleanClose) {
  const std::string text = "kept ink";
  const auto script = scrivel::penemu::LiveEventsFromText(text);
  const size_t strokes = scrivel::penemu::StrokeCount(script);
  for (const std::string mode : {"write", "close"}) {
    SCOPED_TRACE(mode);
    scrivel::test::TempDir home;
    scrivel::test::EmulatedLivePen pen({"--text", text, "--rate", "4000"});
    ASSERT_TRUE(pen.ready());
    const QString folder = QString::fromStdString(home.path()) + QStringLiteral("/Documents/Scrivel");
    const std::string canvas = home.file("canvas.png");
    scrivel::test::ChildProcess child(SCRIVEL_LIVENOTE_CHILD, {mode, std::to_string(strokes), canvas},
                                      {"HOME=" + home.path(), pen.configEnv()}, home.path());
    if (mode == "write") {
      // Every stroke is in the journal on disk; then the process dies at once.
      bool journaled = false;
      for (int i = 0; i < 3000 && !journaled; ++i) {
        std::this_thread::sleep_for(10ms);
        for (const QString& name : Files(folder, QStringLiteral("*.journal")))
          journaled = ReadJournal(folder + "/" + name).entries.size() >= strokes;
      }
      ASSERT_TRUE(journaled) << child.stderrText();
      kill(child.pid(), SIGKILL);
      EXPECT_EQ(child.wait(), 128 + SIGKILL);

      // The next start, as the application makes it.
      const std::string testHome = std::getenv("HOME") ? std::getenv("HOME") : "";
      setenv("HOME", home.path().c_str(), 1);
      pen.UseInThisProcess();
      scrivel::test::DialogAnswerer answers;
      scrivel::RecoverLiveNotes();
      ASSERT_EQ(answers.texts().size(), 1);
      EXPECT_EQ(answers.titles()[0], QStringLiteral("Scrivel"));
      EXPECT_TRUE(answers.texts()[0].contains(folder)) << answers.texts()[0].toStdString();
      setenv("HOME", testHome.c_str(), 1);
    } else {
      EXPECT_EQ(child.wait(60s), 0) << child.stderrText();
    }
    EXPECT_TRUE(Files(folder, QStringLiteral("*.journal")).isEmpty());
    const QStringList documents = Files(folder, QStringLiteral("*.xopp"));
    ASSERT_EQ(documents.size(), 1);
    const QString document = folder + "/" + documents[0];
    const XoppReadResult read = ReadXopp(document);
    ASSERT_TRUE(read.complete) << read.error.toStdString();
    ASSERT_EQ(read.doc.pages.size(), 1u);
    EXPECT_EQ(PenStrokes(read.doc), InkStrokes(script));

    if (mode == "close") {
      // Xournal++ draws the kept note as the canvas showed it.
      const QImage shown(QString::fromStdString(canvas));
      ASSERT_FALSE(shown.isNull());
      const auto rendered = scrivel::test::RenderWithXournal(document, QString::fromStdString(home.file("render")));
      ASSERT_EQ(rendered.size(), 1u);
      ASSERT_EQ(rendered[0].size(), shown.size());
      const QImage ours = scrivel::test::InkMask(shown, 230);
      const QImage theirs = scrivel::test::InkMask(rendered[0], 230);
      EXPECT_GT(scrivel::test::InkCount(ours), 200);
      EXPECT_LT(scrivel::test::InkMismatch(ours, theirs), 0.05);
    }
  }
}

}  // namespace
