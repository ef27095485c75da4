#pragma once
// The update check at start-up: compares the installed "Version.txt" with the
// update server's manifest and, when the server offers a higher version and
// the user agrees, starts the updater. The manifest is fetched on a worker
// thread, so a slow or dead server never holds up the window; the question
// appears when the answer arrives.

#include <QObject>
#include <QPointer>
#include <QString>

#include <string>
#include <thread>

#include "update/updatesource.h"

class QWidget;

class CUpdateCheck : public QObject {
  Q_OBJECT

 public:
  // `folder` holds "Version.txt" and the updater "scrivelupdata".
  CUpdateCheck(QWidget* window, QString folder, std::string baseUrl, std::string publicKey);
  ~CUpdateCheck() override;

  // Starts fetching the manifest.
  void Start();

 signals:
  // The user accepted and the updater was started: the application ends.
  void updaterStarted();
  // The check is over; `asked` when the question was shown.
  void finished(bool asked);
  // From the worker thread: the manifest is in m_manifest.
  void manifestFetched();

 private:
  // Joins the worker, which hands m_manifest back to the window's thread,
  // and asks when the server offers more.
  void OnManifestFetched();

  QPointer<QWidget> m_window;
  QString m_folder;
  std::string m_baseUrl, m_publicKey;
  std::thread m_worker;
  scrivel::FetchedManifest m_manifest;  // the worker's until it is joined
};
