#include "note/notekeeper.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include "note/notedocument.h"
#include "note/notejournal.h"
#include "note/notepages.h"
#include "note/picturefiles.h"
#include "pages/pendownload.h"
#include "xopp/atomicfile.h"
#include "xopp/xoppwriter.h"

namespace {

QString SystemError(int err) { return QString::fromLocal8Bit(std::strerror(err)); }

bool WriteAll(int fd, const QByteArray& data) {
  qsizetype done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(fd, data.constData() + done, size_t(data.size() - done));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += n;
  }
  return true;
}

}  // namespace

QString CNoteKeeper::NotesFolder() {
  return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation) + QStringLiteral("/Scrivel");
}

CNoteKeeper::CNoteKeeper(const QString& folder, QSize canvas, const QDateTime& opened,
                         FailureReport reportFailure, std::chrono::milliseconds saveInterval)
    : m_canvas(canvas), m_saveInterval(saveInterval), m_reportFailure(std::move(reportFailure)) {
  m_saveTimer.setSingleShot(true);
  QObject::connect(&m_saveTimer, &QTimer::timeout, &m_saveTimer, [this] { SaveNow(); });
  m_reportTimer.setSingleShot(true);
  QObject::connect(&m_reportTimer, &QTimer::timeout, &m_reportTimer, [this] {
    QString text;
    {
      std::lock_guard lock(m_mutex);
      text = m_failure;
    }
    if (m_reportFailure) m_reportFailure(text);
  });
  if (!OpenJournal(folder, opened)) return;
  m_worker = std::thread([this] { Run(); });
}

CNoteKeeper::~CNoteKeeper() { Close(); }

bool CNoteKeeper::OpenJournal(const QString& folder, const QDateTime& opened) {
  if (!QDir().mkpath(folder)) {
    Fail(QStringLiteral("The folder %1 cannot be made.").arg(folder));
    return false;
  }
  const QString base = folder + QLatin1Char('/') + MakeTimeStamp(opened);
  for (int n = 1; n < 1000; ++n) {
    const QString document = base + (n == 1 ? QString() : QStringLiteral("-%1").arg(n)) + QStringLiteral(".xopp");
    if (QFileInfo::exists(document)) continue;
    const QByteArray journal = QFile::encodeName(document + QStringLiteral(".journal"));
    const int fd = ::open(journal.constData(), O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_CLOEXEC, 0644);
    if (fd < 0 && errno == EEXIST) continue;
    m_document = document;
    if (fd < 0) {
      Fail(QStringLiteral("%1: %2").arg(document + QStringLiteral(".journal"), SystemError(errno)));
      return false;
    }
    ::flock(fd, LOCK_EX);
    const QByteArray header = JournalHeader(m_canvas);
    if (!WriteAll(fd, header) || ::fdatasync(fd) != 0 || !SyncFolder(folder)) {
      const int err = errno;
      ::close(fd);
      ::unlink(journal.constData());
      Fail(QStringLiteral("%1: %2").arg(document + QStringLiteral(".journal"), SystemError(err)));
      return false;
    }
    m_fd = fd;
    m_journalBytes = header.size();
    return true;
  }
  Fail(QStringLiteral("No free document name in %1.").arg(folder));
  return false;
}

void CNoteKeeper::Fail(const QString& why) {
  const QString text = QStringLiteral("This note cannot be kept on disk: %1\nThe note goes on; what is not written is lost when it closes.").arg(why);
  {
    std::lock_guard lock(m_mutex);
    if (m_failed) return;
    m_failed = true;
    m_failure = text;
  }
  if (!m_reportFailure) return;
  if (std::this_thread::get_id() != m_owner)
    // Only the timer's own slot is queued: the text stays behind the lock.
    QMetaObject::invokeMethod(&m_reportTimer, "start", Qt::QueuedConnection);
  else
    m_reportFailure(text);
}

void CNoteKeeper::Post(Task task) {
  {
    std::lock_guard lock(m_mutex);
    m_tasks.push_back(std::move(task));
  }
  m_wake.notify_one();
}

void CNoteKeeper::Record(const NoteAction& action) {
  if (!Keeping() || m_closed) return;
  m_anyAction = true;
  Task task;
  task.action = action;
  task.queued = std::chrono::steady_clock::now();
  Post(std::move(task));
  if (!m_saveTimer.isActive()) {
    const auto since = std::chrono::duration_cast<std::chrono::milliseconds>(task.queued - m_lastSave);
    m_saveTimer.start(std::max(std::chrono::milliseconds(0), m_saveInterval - since));
  }
}

void CNoteKeeper::PostSave() {
  Task save;
  save.kind = Task::Kind::Save;
  for (const StorePageInfo& page : g_pages) save.pages.push_back(PageContent(page));
  Post(std::move(save));
}

void CNoteKeeper::SaveNow() {
  if (!Keeping() || m_closed) return;
  m_lastSave = std::chrono::steady_clock::now();
  PostSave();
}

void CNoteKeeper::CloseInBackground() {
  if (m_closed) return;
  m_closed = true;
  m_saveTimer.stop();
  if (!Keeping()) return;
  if (m_anyAction) PostSave();
  Task stop;
  stop.kind = Task::Kind::Stop;
  Post(std::move(stop));
}

bool CNoteKeeper::Wait() {
  if (m_worker.joinable()) m_worker.join();
  std::lock_guard lock(m_mutex);
  return m_finished && m_whole;
}

bool CNoteKeeper::Finished() const {
  std::lock_guard lock(m_mutex);
  return m_finished || !m_worker.joinable();
}

bool CNoteKeeper::Close() {
  CloseInBackground();
  return Wait();
}

// Worker, after the last task: the journal goes once the document holds the
// whole note. The last save wrote every page as the window left them, so the
// document is whole when that save succeeded, even if journal records could
// not be written; without it the journal stays for the next start.
void CNoteKeeper::Finish() {
  const bool whole = m_anyAction ? m_saved : m_unwritten.isEmpty();
  if (whole) {
    ::unlink(QFile::encodeName(JournalPath()).constData());
    SyncFolder(QFileInfo(m_document).absolutePath());
  }
  ::close(m_fd);
  std::lock_guard lock(m_mutex);
  m_whole = whole;
  m_finished = true;
}

std::vector<double> CNoteKeeper::JournalLatencies() const {
  std::lock_guard lock(m_mutex);
  return m_latencies;
}

void CNoteKeeper::Run() {
  for (;;) {
    std::vector<Task> batch;
    {
      std::unique_lock lock(m_mutex);
      m_wake.wait(lock, [this] { return !m_tasks.empty(); });
      while (!m_tasks.empty()) {
        batch.push_back(std::move(m_tasks.front()));
        m_tasks.pop_front();
      }
    }
    // Appends first, in order, so that a save never runs ahead of them.
    std::vector<Task> appends;
    bool stop = false;
    for (Task& task : batch) {
      if (task.kind == Task::Kind::Append) {
        appends.push_back(std::move(task));
        continue;
      }
      AppendRecords(appends);
      appends.clear();
      if (task.kind == Task::Kind::Save) m_saved = WriteDocument(task.pages);
      if (task.kind == Task::Kind::Stop) stop = true;
    }
    AppendRecords(appends);
    if (stop) return Finish();
  }
}

void CNoteKeeper::AppendRecords(const std::vector<Task>& appends) {
  if (appends.empty()) return;
  for (const Task& task : appends) {
    QByteArray picture;
    if (task.action.kind == NoteAction::Kind::Picture && !task.action.path.isEmpty()) {
      QFile file(task.action.path);
      if (file.open(QIODevice::ReadOnly)) picture = file.readAll();
    }
    m_unwritten += JournalRecord(task.action, picture);
  }
  if (WriteAll(m_fd, m_unwritten) && ::fdatasync(m_fd) == 0) {
    m_journalBytes += m_unwritten.size();
    m_unwritten.clear();
    const auto now = std::chrono::steady_clock::now();
    std::lock_guard lock(m_mutex);
    for (const Task& task : appends)
      m_latencies.push_back(std::chrono::duration<double, std::milli>(now - task.queued).count());
    return;
  }
  const int err = errno;
  // Whatever part reached the file goes again with the next records.
  if (::ftruncate(m_fd, m_journalBytes) != 0) {
    // The file keeps a cut-off record: recovery reads up to it.
  }
  Fail(QStringLiteral("%1: %2").arg(JournalPath(), SystemError(err)));
}

bool CNoteKeeper::WriteDocument(const std::vector<StorePageInfo>& pages) {
  CPictureFiles files(m_canvas);
  const XoppDocument doc = NoteDocument(pages, m_canvas, NoteTitle(m_document),
                                        [&files](const QString& path) { return files.Load(path); });
  QString error;
  if (WriteXopp(m_document, doc, &error)) return true;
  Fail(error);
  return false;
}
