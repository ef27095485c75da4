#include "scrivelupdata/scrivelupdatadlg.h"

#include <QContextMenuEvent>
#include <QEventLoop>
#include <QMenu>
#include <QMessageBox>
#include <QTimer>

#include <thread>

#include "common/trace.h"
#include "lang/languagestrings.h"
#include "scrivelupdata/aboutdlg.h"
#include "scrivelupdata/updatainfo.h"
#include "update/installer.h"
#include "update/manifest.h"
#include "update/updatesource.h"
#include "update/version.h"

using scrivel::Trace;

CScrivelUpDataDlg::CScrivelUpDataDlg(QString folder, std::string baseUrl, std::string publicKey,
                                     QWidget* parent, scrivel::FetchLimits limits)
    : QDialog(parent),
      m_folder(std::move(folder)),
      m_baseUrl(std::move(baseUrl)),
      m_publicKey(std::move(publicKey)),
      m_limits(limits) {
  setWindowTitle(QStringLiteral("ScrivelUpData"));
  resize(320 * 7 / 4, 200 * 15 / 8);
}

CScrivelUpDataDlg::~CScrivelUpDataDlg() { delete m_info; }

void CScrivelUpDataDlg::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  if (m_started) return;
  m_started = true;
  QTimer::singleShot(0, this, [this] { RunUpdate(); });
}

void CScrivelUpDataDlg::contextMenuEvent(QContextMenuEvent* event) {
  QMenu menu(this);
  menu.addAction(QStringLiteral("关于 ScrivelUpData(&A)..."), this, &CScrivelUpDataDlg::OnAbout);
  menu.exec(event->globalPos());
}

void CScrivelUpDataDlg::OnAbout() {
  CAboutDlg about(this);
  about.exec();
}

void CScrivelUpDataDlg::RunInBackground(const std::function<void()>& work) {
  QEventLoop loop;
  std::thread worker([&] {
    work();
    QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
  });
  loop.exec();
  worker.join();
}

CScrivelUpDataDlg::Outcome CScrivelUpDataDlg::Fail(const std::string& why) {
  Trace("ScrivelUpData: %s", why.c_str());
  m_failure = why;
  delete m_info;
  m_info = nullptr;
  QMessageBox::information(this, QStringLiteral("Scrivel"), g_strings.Get(10010));
  m_outcome = Outcome::Failed;
  done(0);
  return m_outcome;
}

CScrivelUpDataDlg::Outcome CScrivelUpDataDlg::RunUpdate() {
  m_started = true;
  const std::string folder = m_folder.toStdString();

  scrivel::FetchedManifest manifest;
  RunInBackground([&] { manifest = scrivel::FetchManifest(m_baseUrl, m_publicKey, m_limits); });
  if (!manifest.ok && m_publicKey.empty()) {
    // No server: the idle window stays until the user closes it.
    Trace("ScrivelUpData: %s", manifest.error.c_str());
    m_failure = manifest.error;
    return m_outcome = Outcome::NoManifest;
  }
  if (!manifest.ok) return Fail(manifest.error);
  const std::string version = scrivel::ServerVersion(manifest.text);
  if (!m_publicKey.empty() &&
      scrivel::CompareVersion(version, scrivel::ReadLocalVersion(folder)) == 1)
    return Fail("the server offers " + version + ", older than the installed version");
  const scrivel::ManifestEntries parsed = scrivel::ParseManifestEntries(manifest.text);
  if (!parsed.error.empty()) return Fail(parsed.error);

  m_info = new CUpDataInfo(g_strings.Get(10011));
  m_info->show();
  m_info->repaint();

  const std::string temp = folder + "/Temp";
  scrivel::UpdateStepResult downloaded;
  RunInBackground([&] {
    downloaded = scrivel::DownloadEntries(
        parsed.entries, m_baseUrl + "download/", temp,
        [this](size_t done, size_t total) {
          QMetaObject::invokeMethod(this, [this, done, total] {
            if (m_info != nullptr) m_info->ShowProgress(done, total);
          }, Qt::QueuedConnection);
        },
        m_limits);
  });
  if (!downloaded.ok) return Fail(downloaded.error);

  QMessageBox::information(this, QStringLiteral("Scrivel"), g_strings.Get(10012));

  const scrivel::UpdateStepResult installed =
      scrivel::InstallEntries(parsed.entries, folder, temp, version);
  if (!installed.ok) return Fail(installed.error);

  delete m_info;
  m_info = nullptr;
  QMessageBox::information(this, QStringLiteral("Scrivel"), g_strings.Get(10009));
  m_outcome = Outcome::Updated;
  done(0);
  return m_outcome;
}
