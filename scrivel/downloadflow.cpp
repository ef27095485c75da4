#include "scrivel/downloadflow.h"

#include <QFileDialog>
#include <QMessageBox>
#include <QProgressDialog>

#include <algorithm>
#include <utility>

#include "common/trace.h"
#include "nibdl/nibdl.h"
#include "lang/languagestrings.h"
#include "scrivel/scriveldlg.h"

CDownloadFlow::CDownloadFlow(CScrivelDlg* dlg) : QObject(dlg), m_dlg(dlg) {
  m_askFolder = [this](const QString& defaultName) -> std::optional<QString> {
    const QString path = QFileDialog::getSaveFileName(m_dlg, QString(), defaultName,
                                                      QStringLiteral("All Files (*.*)"));
    if (path.isEmpty()) return std::nullopt;
    return path;
  };
  m_callbacks.progress = [this](int kind, int percent) { DownloadProgress(kind, percent); };
  m_callbacks.pageRendered = [this](int page, const QImage& picture) {
    CScrivelDlg::AddPages({picture});
    if (m_result.pageCount > 0) DownloadProgress(DUVO_PROGRESS_TRANSFER, page * 100 / m_result.pageCount);
  };
  m_callbacks.writingDocuments = [this] { emit writingDocumentsStarted(); };
  // The worker thread only signals; the data stays with whoever owns it.
  connect(this, &CDownloadFlow::backgroundDone, this, &CDownloadFlow::OnBackgroundDone, Qt::QueuedConnection);
  connect(this, &CDownloadFlow::progressChanged, this, &CDownloadFlow::OnProgressChanged, Qt::QueuedConnection);
  connect(this, &CDownloadFlow::writingDocumentsStarted, this, [this] {
    if (m_progress != nullptr) m_progress->setLabelText(tr("Writing the PDF and Xournal++ documents..."));
  }, Qt::QueuedConnection);
}

CDownloadFlow::~CDownloadFlow() {
  if (m_worker.joinable()) m_worker.join();
}

void CDownloadFlow::OnDownload() {
  scrivel::Trace("进入OnDownload函数\n");
  if (m_running) return;
  const uint32_t opened = m_session.Open();
  if (static_cast<int32_t>(opened) < 0) {
    ShowMessage(DescribeOpenFailure(opened), true);
    return;
  }
  m_running = true;
  ShowProgress(tr("Reading the notes stored in the pen..."));
  InBackground([this] { m_result = m_session.Download(m_callbacks); }, [this] { OnNotesRead(); });
}

void CDownloadFlow::DownloadProgress(int kind, int percent) {
  if (kind == DUVO_PROGRESS_LOST) return;
  m_percent = std::clamp(percent, 0, 100);
  emit progressChanged();
}

void CDownloadFlow::OnProgressChanged() {
  if (m_progress != nullptr) m_progress->setValue(m_percent.load());
}

void CDownloadFlow::InBackground(std::function<void()> work, std::function<void()> then) {
  if (m_worker.joinable()) m_worker.join();
  m_then = std::move(then);
  m_worker = std::thread([this, work = std::move(work)] {
    work();
    emit backgroundDone();
  });
}

void CDownloadFlow::OnBackgroundDone() {
  // The worker's last step was the signal: the join is immediate, and it
  // hands the work's results (the download's result, the session) back here.
  if (m_worker.joinable()) m_worker.join();
  if (const std::function<void()> then = std::exchange(m_then, nullptr)) then();
}

void CDownloadFlow::OnNotesRead() {
  CloseProgress();
  switch (m_result.outcome) {
    case PenDownload::Outcome::DownloadFailed:
      ShowMessage(DescribeDownloadFailure(m_result.code), true);
      Finish();
      return;
    case PenDownload::Outcome::EmptyPen:
      QMessageBox::information(m_dlg, QStringLiteral("Scrivel"), g_strings.Get(10002));
      Finish();
      return;
    default:
      break;
  }
  const auto folder = m_askFolder(MakeTimeStamp(QDateTime::currentDateTime()));
  if (!folder || folder->isEmpty()) {
    Finish();  // nothing written, nothing shown, nothing erased
    return;
  }
  ShowProgress(tr("Saving the pages..."));
  const QString chosen = *folder;
  InBackground([this, chosen] { m_session.SavePages(m_result, chosen, m_callbacks); },
               [this] { OnPagesSaved(); });
}

void CDownloadFlow::OnPagesSaved() {
  CloseProgress();
  m_dlg->UpdateTotalScreens();
  if (!m_result.allSaved()) {
    ShowMessage(DescribeUnsaved(m_result), true);
    Finish();
    return;
  }
  if (m_result.outcome == PenDownload::Outcome::CutOff) {
    ShowMessage(DescribeDownloadFailure(m_result.code) + QLatin1Char(' ') +
                    tr("The pages received whole (%1) were saved in %2. The pen was not erased, so "
                       "all its notes are still there: download again.")
                        .arg(m_result.pageCount)
                        .arg(m_result.folder),
                true);
    Finish();
    return;
  }
  const auto answer = QMessageBox::question(m_dlg, QStringLiteral("Scrivel"), g_strings.Get(10001),
                                            QMessageBox::Yes | QMessageBox::No);
  if (answer != QMessageBox::Yes) {
    Finish();
    return;
  }
  ShowProgress(tr("Erasing the pen..."));
  InBackground([this] {
    if (!m_session.Erase()) scrivel::Trace("download: erasing the pen failed");
  }, [this] { Finish(); });
}

QString CDownloadFlow::DescribeUnsaved(const PenDownload::Result& result) {
  QStringList lines;
  if (!result.failedPages.empty()) {
    QStringList pages;
    for (const int page : result.failedPages) pages << QString::number(page);
    lines << tr("Pages %1 could not be saved in %2.").arg(pages.join(QStringLiteral(", ")), result.folder);
  }
  if (!result.failedDocuments.isEmpty())
    lines << tr("These documents could not be written:") << result.failedDocuments;
  lines << tr("The pen was not erased, so its notes are still there: choose another folder and "
              "download again.");
  return lines.join('\n');
}

void CDownloadFlow::Finish() {
  CloseProgress();
  if (m_worker.joinable()) m_worker.join();
  m_session.Close();
  m_running = false;
  emit finished();
}

void CDownloadFlow::CloseProgress() {
  // Hidden at once: deletion waits for the event loop, and a question asked
  // next would otherwise open in front of a progress window still on screen.
  if (m_progress != nullptr) {
    m_progress->hide();
    m_progress->deleteLater();
  }
  m_progress = nullptr;
}

void CDownloadFlow::ShowProgress(const QString& label) {
  CloseProgress();
  m_progress = new QProgressDialog(label, QString(), 0, 100, m_dlg);
  m_progress->setWindowTitle(QStringLiteral("Scrivel"));
  m_progress->setCancelButton(nullptr);
  m_progress->setMinimumDuration(0);
  // Not modal: a modal progress dialog runs the event loop inside setValue,
  // which would let the flow's next step run in the middle of an update.
  m_progress->setWindowModality(Qt::NonModal);
  m_progress->setAutoClose(false);
  m_progress->setAutoReset(false);
  m_progress->setValue(0);
}

void CDownloadFlow::ShowMessage(const QString& text, bool warning) {
  if (warning) QMessageBox::warning(m_dlg, QStringLiteral("Scrivel"), text);
  else QMessageBox::information(m_dlg, QStringLiteral("Scrivel"), text);
}
