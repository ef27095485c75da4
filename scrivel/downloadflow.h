#pragma once
// The download of the pen's stored pages behind the main window's button 1001.
// The pen is opened on the window's thread; reading the notes, rendering and
// saving run on a worker thread; the folder question, the messages and the
// erase question come from the window's thread, in the flow's order:
// download -> folder -> pages and their documents saved and shown -> erase
// question (only when every file is on disk) -> close.

#include <QObject>
#include <QString>

#include <atomic>
#include <functional>
#include <optional>
#include <thread>

#include "pages/pendownload.h"

class CScrivelDlg;
class QProgressDialog;

class CDownloadFlow : public QObject {
  Q_OBJECT

 public:
  explicit CDownloadFlow(CScrivelDlg* dlg);
  ~CDownloadFlow() override;

  // Button 1001: opens the pen and starts the download; does nothing while a
  // download runs.
  void OnDownload();
  bool running() const { return m_running; }

  // Asks where the page files go, given the default folder name; nullopt
  // cancels. The default shows a Save As dialog; tests replace it.
  std::function<std::optional<QString>(const QString& defaultName)> m_askFolder;

 signals:
  // The flow has ended (whatever its outcome); the pen is closed again.
  void finished();
  // From the worker thread to the window's: the work is done, the progress
  // or the stage changed.
  void backgroundDone();
  void progressChanged();
  void writingDocumentsStarted();

 private:
  // The progress callback: kind and percent, from any thread.
  void DownloadProgress(int kind, int percent);
  // Runs `work` on the worker thread, then `then` on the window's thread
  // once the worker has ended: what the work wrote is the window's again.
  void InBackground(std::function<void()> work, std::function<void()> then);
  void OnBackgroundDone();
  void OnProgressChanged();
  void OnNotesRead();
  void OnPagesSaved();
  void Finish();
  void ShowProgress(const QString& label);
  void CloseProgress();
  void ShowMessage(const QString& text, bool warning);
  // Why the pen is kept: the page files and documents that were not written.
  static QString DescribeUnsaved(const PenDownload::Result& result);

  CScrivelDlg* m_dlg;
  PenDownload m_session;
  PenDownload::Callbacks m_callbacks;
  PenDownload::Result m_result;
  std::thread m_worker;
  std::function<void()> m_then;   // window's thread only
  std::atomic<int> m_percent{0};  // the latest progress, for the window
  QProgressDialog* m_progress = nullptr;
  bool m_running = false;
};
