#include "scrivel/updatecheck.h"

#include <QMessageBox>
#include <QProcess>
#include <QWidget>

#include "common/trace.h"
#include "lang/languagestrings.h"
#include "update/version.h"

CUpdateCheck::CUpdateCheck(QWidget* window, QString folder, std::string baseUrl, std::string publicKey)
    : QObject(window),
      m_window(window),
      m_folder(std::move(folder)),
      m_baseUrl(std::move(baseUrl)),
      m_publicKey(std::move(publicKey)) {
  connect(this, &CUpdateCheck::manifestFetched, this, &CUpdateCheck::OnManifestFetched, Qt::QueuedConnection);
}

CUpdateCheck::~CUpdateCheck() {
  if (m_worker.joinable()) m_worker.join();
}

void CUpdateCheck::Start() {
  if (m_worker.joinable() || m_baseUrl.empty()) return;
  m_worker = std::thread([this] {
    m_manifest = scrivel::FetchManifest(m_baseUrl, m_publicKey);
    emit manifestFetched();
  });
}

void CUpdateCheck::OnManifestFetched() {
  if (m_worker.joinable()) m_worker.join();
  const scrivel::FetchedManifest& manifest = m_manifest;
  if (!manifest.ok) {
    scrivel::Trace("update check: %s", manifest.error.c_str());
    emit finished(false);
    return;
  }
  const std::string local = scrivel::ReadLocalVersion(m_folder.toStdString());
  const std::string server = scrivel::ServerVersion(manifest.text);
  if (scrivel::CompareVersion(local, server) != 1 || m_window.isNull()) {
    emit finished(false);
    return;
  }
  const auto answer = QMessageBox::question(m_window, QStringLiteral("Scrivel"), g_strings.Get(10008),
                                            QMessageBox::Yes | QMessageBox::No);
  if (answer == QMessageBox::Yes) {
    const QString updater = m_folder + QStringLiteral("/scrivelupdata");
    if (!QProcess::startDetached(updater, {}, m_folder))
      scrivel::Trace("update check: %s cannot be started", qPrintable(updater));
    emit updaterStarted();
  }
  emit finished(true);
}
