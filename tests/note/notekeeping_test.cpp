// Keeping the live note: every action the model applies reaches its
// listener, and replaying those actions (straight, or through the journal's
// bytes) gives the same pages pixel for pixel; a damaged journal gives what
// precedes the damage; the keeper journals and writes the document; recovery
// finishes a note left behind and keeps a damaged journal aside.
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <thread>

#include "note/notedocument.h"
#include "note/notejournal.h"
#include "note/notekeeper.h"
#include "note/notemodel.h"
#include "note/notepages.h"
#include "note/notereplay.h"
#include "tests/support/tempdir.h"
#include "xopp/xoppreader.h"

namespace {

using namespace std::chrono_literals;
const QSize kCanvas(200, 150);

PenEvent Pen(PenEvent::Type type, QPoint p, unsigned flags = 0) {
  PenEvent e;
  e.type = type;
  e.point = p;
  e.flags = flags;
  return e;
}

void Stroke(CNoteModel& model, const std::vector<QPoint>& points, COLORREF color = 0, int width = 2) {
  model.OnPen(Pen(PenEvent::Type::Down, points[0]), color, width);
  for (size_t i = 1; i < points.size(); ++i) model.OnPen(Pen(PenEvent::Type::Move, points[i]), color, width);
  model.OnPen(Pen(PenEvent::Type::Up, points.back()), color, width);
}

struct PageSeen {
  QImage picture;
  std::vector<std::vector<QPointF>> strokes;
  size_t pictures;
  bool operator==(const PageSeen&) const = default;
};

std::vector<PageSeen> Seen() {
  std::vector<PageSeen> seen;
  for (int p = 0; p < int(g_pages.size()); ++p) {
    PageSeen page{PagePicture(p), {}, g_pages[size_t(p)].pictures.size()};
    for (const vecPointF& s : g_pages[size_t(p)].strokes) page.strokes.push_back(s.points);
    seen.push_back(std::move(page));
  }
  return seen;
}

// A note using every kind of action; `model` has its first page.
void WriteEveryAction(CNoteModel& model, const QString& picture) {
  Stroke(model, {{10, 10}, {100, 40}, {190, 20}}, MakeColorRef(200, 0, 0));
  Stroke(model, {{20, 120}, {180, 130}});
  model.AddPicture(picture);
  model.BeginDrag({100, 75});
  model.DragTo({120, 80});
  model.DragTo({140, 90});
  model.EndDrag();
  Stroke(model, {{30, 30}, {60, 100}}, 0, 3);
  for (int x = 50; x <= 80; x += 5) model.EraseAt({x, 60});
  model.EndErase({80, 60});
  model.OnRevokeStroke();
  model.OnRestoreStroke();
  model.OnRevokeStroke();  // the erase stays undone
  QRegion changed;
  model.NextPage(changed);
  Stroke(model, {{5, 5}, {195, 145}});
  model.OnClearPage();
  model.OnRevokeStroke();  // the cleared stroke is back
  model.NextPage(changed);
  Stroke(model, {{50, 50}, {60, 60}});
  model.DeletePage(changed);
  model.OnRevokeStroke();  // the deleted page is back
  EXPECT_EQ(g_nPageCount, 3);
  model.OnRestoreStroke();  // deleted again
  EXPECT_EQ(g_nPageCount, 2);
  model.OnRevokeStroke();
  EXPECT_EQ(g_nPageCount, 3);
  EXPECT_EQ(g_pages[2].strokes.size(), 1u);
  model.PrevPage(changed);
  Stroke(model, {{100, 10}, {100, 140}}, MakeColorRef(0, 0, 255), 1);
}

// The event loop that the keeper's saves and reports run on.
struct TestApp {
  int argc = 1;
  char name[11] = "note_tests";
  char* argv[2] = {name, nullptr};
  QCoreApplication app{argc, argv};
};

class NoteKeepingTest : public testing::Test {
 protected:
  void SetUp() override {
    QImage image(40, 30, QImage::Format_RGB32);
    image.fill(QColor(0, 160, 0));
    m_picture = QString::fromStdString(m_dir.file("green.png"));
    ASSERT_TRUE(image.save(m_picture));
  }
  // A new model with its first page, as the window makes it.
  std::unique_ptr<CNoteModel> NewModel() {
    auto model = std::make_unique<CNoteModel>(kCanvas);
    model->AddPage();
    ++g_nPageCount;
    return model;
  }
  QString Folder() const { return QString::fromStdString(m_dir.file("notes")); }

  scrivel::test::TempDir m_dir;
  QString m_picture;
};

TEST_F(NoteKeepingTest, ReplayingTheActionsGivesTheSamePages) {
  std::vector<NoteAction> actions;
  QByteArray journal = JournalHeader(kCanvas);
  std::vector<PageSeen> original;
  {
    auto model = NewModel();
    model->SetActionListener([&](const NoteAction& a) {
      actions.push_back(a);
      journal += JournalRecord(a);
    });
    WriteEveryAction(*model, m_picture);
    original = Seen();
  }
  ASSERT_EQ(original.size(), 3u);
  EXPECT_EQ(original[0].strokes.size(), 3u);
  EXPECT_EQ(original[1].strokes.size(), 2u);
  EXPECT_EQ(actions.size(), 21u);

  // Straight from the actions, and from the journal's bytes.
  const JournalContents read = ReadJournalBytes(journal);
  ASSERT_TRUE(read.intact) << read.error.toStdString();
  EXPECT_EQ(read.canvas, kCanvas);
  ASSERT_EQ(read.entries.size(), actions.size());
  for (int way = 0; way < 2; ++way) {
    auto model = NewModel();
    for (size_t i = 0; i < actions.size(); ++i) model->Apply(way == 0 ? actions[i] : read.entries[i].action);
    const std::vector<PageSeen> replayed = Seen();
    ASSERT_EQ(replayed.size(), original.size()) << way;
    for (size_t p = 0; p < original.size(); ++p) {
      EXPECT_EQ(replayed[p].picture, original[p].picture) << "way " << way << " page " << p;
      EXPECT_EQ(replayed[p].strokes, original[p].strokes) << "way " << way << " page " << p;
    }
  }
}

TEST_F(NoteKeepingTest, ADamagedJournalGivesWhatPrecedesTheDamage) {
  QByteArray journal = JournalHeader(kCanvas);
  std::vector<qsizetype> ends;
  {
    auto model = NewModel();
    model->SetActionListener([&](const NoteAction& a) {
      journal += JournalRecord(a);
      ends.push_back(journal.size());
    });
    for (int i = 0; i < 10; ++i) Stroke(*model, {{10, 10 + i * 10}, {190, 10 + i * 10}});
  }
  QByteArray flipped = journal;
  flipped[ends[4] + 12] = char(flipped[ends[4] + 12] ^ 0x40);  // inside record 6
  QByteArray hugeLength = journal;
  hugeLength[ends[2] + 3] = char(0x7f);  // record 4 claims 2 GB
  struct Case {
    const char* name;
    QByteArray bytes;
    size_t entries;
  };
  const Case cases[] = {{"cut in a record", journal.left(ends[6] + 5), 7},
                        {"cut in a length", journal.left(ends[3] + 2), 4},
                        {"flipped byte", flipped, 5},
                        {"huge length", hugeLength, 3},
                        {"no header", journal.mid(4), 0},
                        {"empty", QByteArray(), 0}};
  for (const Case& c : cases) {
    const JournalContents read = ReadJournalBytes(c.bytes);
    EXPECT_FALSE(read.intact) << c.name;
    EXPECT_FALSE(read.error.isEmpty()) << c.name;
    EXPECT_EQ(read.entries.size(), c.entries) << c.name;
  }
}

TEST_F(NoteKeepingTest, TheKeeperJournalsEveryActionAndWritesTheDocumentAtClose) {
  TestApp app;
  auto model = NewModel();
  std::vector<QString> failures;
  CNoteKeeper keeper(Folder(), kCanvas, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)),
                     [&](const QString& why) { failures.push_back(why); });
  ASSERT_TRUE(keeper.Keeping());
  EXPECT_EQ(keeper.DocumentPath(), Folder() + QStringLiteral("/2026-01-02-03-04-05.xopp"));
  model->SetActionListener([&](const NoteAction& a) { keeper.Record(a); });
  WriteEveryAction(*model, m_picture);
  // On disk without any close: the worker flushes each batch.
  const size_t expected = keeper.JournalLatencies().size();
  for (int i = 0; i < 500 && ReadJournal(keeper.JournalPath()).entries.size() < 21; ++i)
    std::this_thread::sleep_for(10ms);
  const JournalContents onDisk = ReadJournal(keeper.JournalPath());
  // The document exists from the first action on, before any close (the
  // keeper saves from the event loop).
  for (int i = 0; i < 500 && !QFile::exists(keeper.DocumentPath()); ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(10ms);
  }
  EXPECT_TRUE(ReadXopp(keeper.DocumentPath()).complete);
  EXPECT_TRUE(onDisk.intact);
  EXPECT_EQ(onDisk.entries.size(), 21u);
  EXPECT_GE(keeper.JournalLatencies().size(), expected);

  // A second keeper of the same second takes another name.
  {
    CNoteKeeper other(Folder(), kCanvas, QDateTime(QDate(2026, 1, 2), QTime(3, 4, 5)), nullptr);
    EXPECT_EQ(other.DocumentPath(), Folder() + QStringLiteral("/2026-01-02-03-04-05-2.xopp"));
    // Recovery leaves a journal alone while its keeper lives.
    EXPECT_FALSE(RecoverNote(keeper.JournalPath()).has_value());
  }
  // The empty note left nothing behind.
  EXPECT_FALSE(QFile::exists(Folder() + QStringLiteral("/2026-01-02-03-04-05-2.xopp")));
  EXPECT_FALSE(QFile::exists(Folder() + QStringLiteral("/2026-01-02-03-04-05-2.xopp.journal")));

  EXPECT_TRUE(keeper.Close());
  EXPECT_FALSE(QFile::exists(keeper.JournalPath()));
  const XoppReadResult doc = ReadXopp(keeper.DocumentPath());
  ASSERT_TRUE(doc.complete) << doc.error.toStdString();
  ASSERT_EQ(doc.doc.pages.size(), 3u);
  EXPECT_DOUBLE_EQ(doc.doc.pages[0].width, kCanvas.width());
  size_t images = 0, ink = 0;
  for (const XoppElement& e : doc.doc.pages[0].elements) {
    images += std::holds_alternative<XoppImage>(e);
    ink += std::holds_alternative<XoppStroke>(e) && std::get<XoppStroke>(e).tool == XoppStroke::Tool::Pen;
  }
  EXPECT_EQ(images, 1u);
  EXPECT_EQ(ink, 3u);  // the erase is undone
  EXPECT_TRUE(failures.empty());
}

// The strokes of the document's first page, or -1 while it cannot be read whole.
int DocumentStrokes(const QString& path) {
  const XoppReadResult doc = ReadXopp(path);
  if (!doc.complete || doc.doc.pages.empty()) return -1;
  return int(doc.doc.pages[0].elements.size());
}

TEST_F(NoteKeepingTest, TheDocumentFollowsTheNoteWhileItRunsAndAfterABackgroundClose) {
  TestApp app;
  auto model = NewModel();
  CNoteKeeper keeper(Folder(), kCanvas, QDateTime::currentDateTime(), nullptr, 50ms);
  model->SetActionListener([&](const NoteAction& a) { keeper.Record(a); });
  const auto eventually = [&](int strokes) {
    for (int i = 0; i < 1000 && DocumentStrokes(keeper.DocumentPath()) != strokes; ++i) {
      QCoreApplication::processEvents();
      std::this_thread::sleep_for(5ms);
    }
    return DocumentStrokes(keeper.DocumentPath());
  };
  // Each change reaches the document by the periodic save alone.
  for (int strokes = 1; strokes <= 3; ++strokes) {
    Stroke(*model, {{10 * strokes, 10}, {20 * strokes, 100}});
    EXPECT_EQ(eventually(strokes), strokes);
    EXPECT_TRUE(QFile::exists(keeper.JournalPath()));
  }
  // The close returns before the last write; what follows it is not recorded.
  Stroke(*model, {{150, 10}, {160, 100}});
  keeper.CloseInBackground();
  Stroke(*model, {{170, 10}, {180, 100}});
  EXPECT_TRUE(keeper.Wait());
  EXPECT_TRUE(keeper.Finished());
  EXPECT_EQ(DocumentStrokes(keeper.DocumentPath()), 4);
  EXPECT_FALSE(QFile::exists(keeper.JournalPath()));
}

TEST_F(NoteKeepingTest, AJournalThatCannotBeWrittenIsToldOnceAndTheLastSaveKeepsTheNote) {
  TestApp app;
  auto model = NewModel();
  std::vector<QString> failures;
  std::vector<std::thread::id> threads;
  CNoteKeeper keeper(Folder(), kCanvas, QDateTime::currentDateTime(), [&](const QString& why) {
    failures.push_back(why);
    threads.push_back(std::this_thread::get_id());
  });
  model->SetActionListener([&](const NoteAction& a) { keeper.Record(a); });
  Stroke(*model, {{10, 10}, {100, 100}});
  for (int i = 0; i < 500 && (keeper.JournalLatencies().empty() || !QFile::exists(keeper.DocumentPath())); ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(5ms);
  }
  // The journal may not grow for a while: its writes fail as on a full disk.
  signal(SIGXFSZ, SIG_IGN);
  rlimit saved{};
  getrlimit(RLIMIT_FSIZE, &saved);
  rlimit full = saved;
  full.rlim_cur = rlim_t(QFileInfo(keeper.JournalPath()).size());
  setrlimit(RLIMIT_FSIZE, &full);
  Stroke(*model, {{20, 10}, {110, 100}});
  Stroke(*model, {{30, 10}, {120, 100}});
  for (int i = 0; i < 1000 && failures.empty(); ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(5ms);
  }
  setrlimit(RLIMIT_FSIZE, &saved);
  signal(SIGXFSZ, SIG_DFL);
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_TRUE(failures[0].contains(keeper.JournalPath())) << failures[0].toStdString();
  EXPECT_EQ(threads[0], std::this_thread::get_id()) << "told on the window's thread";
  // The last save holds every stroke, so the stale journal goes.
  EXPECT_TRUE(keeper.Close());
  EXPECT_FALSE(QFile::exists(keeper.JournalPath()));
  EXPECT_EQ(DocumentStrokes(keeper.DocumentPath()), 3);
}

TEST_F(NoteKeepingTest, ANoteThatCannotBeKeptGoesOnAndSaysWhyOnce) {
  // A file where the notes folder should be.
  scrivel::test::WriteFile(Folder().toStdString(), "not a folder");
  std::vector<QString> failures;
  auto model = NewModel();
  CNoteKeeper keeper(Folder() + QStringLiteral("/inner"), kCanvas, QDateTime::currentDateTime(),
                     [&](const QString& why) { failures.push_back(why); });
  model->SetActionListener([&](const NoteAction& a) { keeper.Record(a); });
  Stroke(*model, {{10, 10}, {100, 100}});
  EXPECT_FALSE(keeper.Keeping());
  EXPECT_FALSE(keeper.Close());
  ASSERT_EQ(failures.size(), 1u);
  EXPECT_TRUE(failures[0].contains(Folder())) << failures[0].toStdString();
  EXPECT_EQ(g_pages[0].strokes.size(), 1u);
}

TEST_F(NoteKeepingTest, RecoveryFinishesANoteAndKeepsADamagedJournalAside) {
  QDir().mkpath(Folder());
  QByteArray journal = JournalHeader(kCanvas);
  std::vector<PageSeen> original;
  {
    auto model = NewModel();
    model->SetActionListener([&](const NoteAction& a) {
      QByteArray picture;
      if (a.kind == NoteAction::Kind::Picture) {
        QFile file(a.path);
        file.open(QIODevice::ReadOnly);
        picture = file.readAll();
      }
      journal += JournalRecord(a, picture);
    });
    WriteEveryAction(*model, m_picture);
  }
  // The picture file is gone since: the journal kept its bytes.
  QFile::remove(m_picture);
  const QString whole = Folder() + QStringLiteral("/a.xopp");
  const QString damaged = Folder() + QStringLiteral("/b.xopp");
  scrivel::test::WriteFile((whole + ".journal").toStdString(), journal.toStdString());
  scrivel::test::WriteFile((damaged + ".journal").toStdString(), journal.left(journal.size() - 3).toStdString());
  scrivel::test::WriteFile(damaged.toStdString(), "the document saved before");
  // A document older than its journal is replayed over; one saved after the
  // journal's last record holds all of it (and what the journal could not
  // take) and stays as it is.
  const QString newer = Folder() + QStringLiteral("/c.xopp");
  scrivel::test::WriteFile((newer + ".journal").toStdString(), journal.toStdString());
  scrivel::test::WriteFile(whole.toStdString(), "the document saved before");
  scrivel::test::WriteFile(newer.toStdString(), "the document saved after");
  const QDateTime now = QDateTime::currentDateTime();
  const auto setTime = [](const QString& path, const QDateTime& at) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(at, QFileDevice::FileModificationTime));
  };
  setTime(whole, now.addSecs(-20));
  setTime(whole + ".journal", now.addSecs(-10));
  setTime(newer + ".journal", now.addSecs(-20));
  setTime(newer, now.addSecs(-10));

  const std::vector<RecoveredNote> recovered = RecoverNotes(Folder());
  ASSERT_EQ(recovered.size(), 3u);
  EXPECT_EQ(recovered[0].document, whole);
  EXPECT_TRUE(recovered[0].keptAside.isEmpty());
  EXPECT_FALSE(QFile::exists(whole + ".journal"));
  const XoppReadResult doc = ReadXopp(whole);
  ASSERT_TRUE(doc.complete);
  ASSERT_EQ(doc.doc.pages.size(), 3u);
  EXPECT_TRUE(std::holds_alternative<XoppImage>(doc.doc.pages[0].elements[0]));

  EXPECT_EQ(recovered[1].document, Folder() + QStringLiteral("/b (recovered).xopp"));
  EXPECT_EQ(recovered[1].keptAside, damaged + QStringLiteral(".journal.damaged"));
  EXPECT_TRUE(QFile::exists(recovered[1].keptAside));
  EXPECT_FALSE(recovered[1].problem.isEmpty());
  EXPECT_EQ(scrivel::test::ReadFile(damaged.toStdString()), "the document saved before");
  const XoppReadResult partial = ReadXopp(recovered[1].document);
  EXPECT_TRUE(partial.complete);
  EXPECT_EQ(partial.doc.pages.size(), 3u);  // only the last stroke is missing

  EXPECT_EQ(recovered[2].document, newer);
  EXPECT_EQ(scrivel::test::ReadFile(newer.toStdString()), "the document saved after");
  EXPECT_FALSE(QFile::exists(newer + ".journal"));
  // Nothing is left to do at the next start.
  EXPECT_TRUE(RecoverNotes(Folder()).empty());
}

}  // namespace
