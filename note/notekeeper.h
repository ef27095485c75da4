#pragma once
// Keeps a live note on disk from its first action: a document
// `<folder>/<time>.xopp` (the time the window opened, MakeTimeStamp, with a
// suffix when the name is taken) and its journal `<document>.journal`.
//
// Every action recorded is appended to the journal and flushed to disk
// (fdatasync) by a worker thread, never the caller's; the document is
// rewritten atomically from the pages at most every save interval while the
// note changes, and once more at the close, after which the journal goes. A
// journal left behind (a crash, a failed last write) is what the next start
// recovers (RecoverNotes).
//
// The journal is created exclusively and locked for the keeper's life, so
// two processes never write the same note, and recovery leaves a note alone
// while its keeper lives.
//
// When the folder cannot be made or written, or the disk is full, the note
// goes on without it: `reportFailure` is told why, once, on the thread that
// made the keeper. A document that cannot be written whole never replaces
// the one before it; journal records that could not be written are tried
// again with the next ones.

#include <QDateTime>
#include <QSize>
#include <QString>
#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

#include "note/noteaction.h"
#include "note/storepageinfo.h"

class CNoteKeeper {
 public:
  static constexpr std::chrono::milliseconds kSaveInterval{30000};

  // Where live notes go: the user's documents folder + "/Scrivel".
  static QString NotesFolder();

  using FailureReport = std::function<void(const QString& why)>;
  CNoteKeeper(const QString& folder, QSize canvas, const QDateTime& opened, FailureReport reportFailure,
              std::chrono::milliseconds saveInterval = kSaveInterval);
  // Closes (see Close) when not closed yet, and waits for the worker.
  ~CNoteKeeper();
  CNoteKeeper(const CNoteKeeper&) = delete;
  CNoteKeeper& operator=(const CNoteKeeper&) = delete;

  // The document's path (also when it cannot be kept); empty when no name
  // could be taken.
  const QString& DocumentPath() const { return m_document; }
  QString JournalPath() const { return m_document + QStringLiteral(".journal"); }
  // False once the journal could not be made: nothing is kept then.
  bool Keeping() const { return m_fd >= 0; }

  // Queues `action` for the journal (returns at once) and plans a save.
  void Record(const NoteAction& action);
  // Ends the note without waiting: the worker writes the document from
  // g_pages as they are now and removes the journal once everything is on
  // disk. A note without any action leaves no document. Nothing is recorded
  // afterwards.
  void CloseInBackground();
  // Waits for the worker after CloseInBackground; false when the note could
  // not be kept whole (the journal then stays for the next start's recovery).
  bool Wait();
  // True once the worker has ended (Wait returns at once).
  bool Finished() const;
  // CloseInBackground, then Wait.
  bool Close();

  // Milliseconds from Record to the record on disk, for every record so far.
  std::vector<double> JournalLatencies() const;

 private:
  struct Task {
    enum class Kind { Append, Save, Stop } kind = Kind::Append;
    NoteAction action;
    std::chrono::steady_clock::time_point queued;
    std::vector<StorePageInfo> pages;
  };

  bool OpenJournal(const QString& folder, const QDateTime& opened);
  void Post(Task task);
  // Queues a document write of g_pages as they are now.
  void PostSave();
  void SaveNow();
  void Run();
  void Finish();
  void AppendRecords(const std::vector<Task>& appends);
  bool WriteDocument(const std::vector<StorePageInfo>& pages);
  void Fail(const QString& why);

  QSize m_canvas;
  std::chrono::milliseconds m_saveInterval;
  QString m_document;
  int m_fd = -1;
  bool m_closed = false;
  bool m_anyAction = false;
  FailureReport m_reportFailure;
  std::thread::id m_owner = std::this_thread::get_id();
  QTimer m_saveTimer;
  // Fires on the caller's thread for a failure the worker met (m_failure).
  QTimer m_reportTimer;
  std::chrono::steady_clock::time_point m_lastSave;

  mutable std::mutex m_mutex;
  std::condition_variable m_wake;
  std::deque<Task> m_tasks;
  bool m_idle = true;
  std::condition_variable m_drained;
  // Worker only: records not yet on disk, the journal's good length, and
  // whether the last document write succeeded.
  QByteArray m_unwritten;
  qint64 m_journalBytes = 0;
  bool m_saved = false;
  bool m_failed = false;  // guarded by m_mutex: the report went out
  QString m_failure;      // guarded by m_mutex: the report's text
  bool m_finished = false;  // guarded by m_mutex: the worker has ended
  bool m_whole = false;     // written by the worker before m_finished
  std::vector<double> m_latencies;  // guarded by m_mutex
  std::thread m_worker;
};
