#include "note/notereplay.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <tuple>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include "note/notedocument.h"
#include "note/notemodel.h"
#include "note/notepages.h"
#include "note/picturefiles.h"
#include "xopp/atomicfile.h"
#include "xopp/xoppwriter.h"

namespace {

const QString kJournalSuffix = QStringLiteral(".journal");

// A journal younger than this with nothing in it may be one a starting
// Scrivel has just made and not yet locked.
constexpr qint64 kFreshSeconds = 60;

// `path` itself when free, else `path` with " 2", " 3"... before `suffix`.
QString FreeName(const QString& stem, const QString& suffix) {
  QString name = stem + suffix;
  for (int n = 2; QFileInfo::exists(name); ++n) name = stem + QStringLiteral(" %1").arg(n) + suffix;
  return name;
}

// An exclusive lock on the journal for the recovery, or -1 when a running
// Scrivel holds it (or it cannot be opened).
int LockJournal(const QString& path) {
  const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return -1;
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
    ::close(fd);
    return -1;
  }
  return fd;
}

// True when `document` was last written after `journal`, to the file
// system's own precision (a tie is not "after").
bool SavedAfter(const QString& document, const QString& journal) {
  struct stat doc{}, log{};
  if (::stat(QFile::encodeName(document).constData(), &doc) != 0 ||
      ::stat(QFile::encodeName(journal).constData(), &log) != 0)
    return false;
  return std::tie(doc.st_mtim.tv_sec, doc.st_mtim.tv_nsec) > std::tie(log.st_mtim.tv_sec, log.st_mtim.tv_nsec);
}

}  // namespace

XoppDocument ReplayJournal(const JournalContents& journal, const QString& title) {
  if (journal.canvas.isEmpty()) return {};
  // Pictures come back from the bytes the journal kept of them.
  QTemporaryDir pictures;
  CNoteModel model(journal.canvas);
  model.AddPage();
  ++g_nPageCount;
  int n = 0;
  for (const JournalEntry& entry : journal.entries) {
    NoteAction action = entry.action;
    if (action.kind == NoteAction::Kind::Picture && !entry.pictureBytes.isEmpty() && pictures.isValid()) {
      action.path = pictures.filePath(QStringLiteral("picture-%1").arg(++n));
      QFile file(action.path);
      if (file.open(QIODevice::WriteOnly)) file.write(entry.pictureBytes);
    }
    model.Apply(action);
  }
  CPictureFiles files(journal.canvas);
  XoppDocument doc = NoteDocument(g_pages, journal.canvas, title,
                                  [&files](const QString& path) { return files.Load(path); });
  // Leave the process-wide state as a new process has it.
  g_pages.clear();
  g_nCurPage = 0;
  g_nPageCount = 0;
  return doc;
}

std::optional<RecoveredNote> RecoverNote(const QString& journalPath) {
  const int lock = LockJournal(journalPath);
  if (lock < 0) return std::nullopt;
  const JournalContents journal = ReadJournal(journalPath);
  const QFileInfo info(journalPath);
  const QString document = journalPath.chopped(kJournalSuffix.size());
  std::optional<RecoveredNote> result;
  const auto done = [&] {
    ::close(lock);
    return result;
  };
  if (journal.entries.empty() && (journal.intact || info.size() == 0)) {
    // Nothing was written in that note (or it is being made right now).
    if (info.lastModified().secsTo(QDateTime::currentDateTime()) > kFreshSeconds || journal.intact)
      QFile::remove(journalPath);
    return done();
  }
  result = RecoveredNote{};
  if (journal.intact && SavedAfter(document, journalPath)) {
    // Saved after the journal's last record: the document holds all of it,
    // and more when records could not be written. It stays as it is.
    result->document = document;
    QFile::remove(journalPath);
    SyncFolder(info.absolutePath());
    return done();
  }
  const QString stem = document.chopped(5);  // without ".xopp"
  const QString target = journal.intact ? document : FreeName(stem + QStringLiteral(" (recovered)"), QStringLiteral(".xopp"));
  if (!journal.intact) {
    result->keptAside = FreeName(journalPath + QStringLiteral(".damaged"), QString());
    result->problem = QStringLiteral("%1 could not be read whole (%2)").arg(journalPath, journal.error);
    if (!QFile::rename(journalPath, result->keptAside)) result->keptAside = journalPath;
  }
  if (journal.entries.empty()) return done();
  const XoppDocument doc = ReplayJournal(journal, NoteTitle(document));
  QString error;
  if (!WriteXopp(target, doc, &error)) {
    result->problem = error;
    return done();
  }
  result->document = target;
  if (journal.intact) {
    QFile::remove(journalPath);
    SyncFolder(info.absolutePath());
  }
  return done();
}

std::vector<RecoveredNote> RecoverNotes(const QString& folder) {
  std::vector<RecoveredNote> recovered;
  const QStringList journals = QDir(folder).entryList({QStringLiteral("*.xopp.journal")}, QDir::Files, QDir::Name);
  for (const QString& name : journals)
    if (std::optional<RecoveredNote> note = RecoverNote(folder + QLatin1Char('/') + name))
      recovered.push_back(std::move(*note));
  return recovered;
}
