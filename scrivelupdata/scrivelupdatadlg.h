#pragma once
// The updater's main window. Right after it appears it runs the update: fetch
// the manifest, download and verify every listed file into "Temp", install
// them all (or none) and record the new version, telling the user through
// message boxes with the language texts 10009, 10010 and 10012.

#include <QDialog>
#include <QString>

#include <string>

#include "http/httpfetch.h"

class CUpDataInfo;

class CScrivelUpDataDlg : public QDialog {
  Q_OBJECT

 public:
  enum class Outcome { NotRun, NoManifest, Failed, Updated };

  // `folder` is the installation to update.
  CScrivelUpDataDlg(QString folder, std::string baseUrl, std::string publicKey,
                    QWidget* parent = nullptr, scrivel::FetchLimits limits = {});
  ~CScrivelUpDataDlg() override;

  // Runs the update to its end (message boxes included); on every outcome but
  // NoManifest the window's run ends.
  Outcome RunUpdate();
  Outcome outcome() const { return m_outcome; }
  // The reason of the last failure, for the trace and the tests.
  const std::string& failure() const { return m_failure; }

 public slots:
  void OnAbout();

 protected:
  void showEvent(QShowEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;

 private:
  Outcome Fail(const std::string& why);
  // Runs `work` on a worker thread while this thread keeps the windows alive.
  void RunInBackground(const std::function<void()>& work);

  QString m_folder;
  std::string m_baseUrl, m_publicKey;
  scrivel::FetchLimits m_limits;
  CUpDataInfo* m_info = nullptr;
  Outcome m_outcome = Outcome::NotRun;
  std::string m_failure;
  bool m_started = false;
};
