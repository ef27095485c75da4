#include "recording/recordingsave.h"

#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>

#include <filesystem>

#include "lang/languagestrings.h"
#include "media/remuxrecording.h"
#include "recording/recordingstate.h"

namespace scrivel {
namespace {

const QString kCaption = QStringLiteral("Scrivel");

bool CopyFile(const QString& from, const QString& to, QString& error) {
  std::error_code code;
  std::filesystem::copy_file(from.toStdString(), to.toStdString(), std::filesystem::copy_options::overwrite_existing,
                             code);
  if (code) error = QString::fromStdString(code.message());
  return !code;
}

}  // namespace

QString AskSavePath(QWidget* owner) {
  QFileDialog dialog(owner, QString(), QString(), QStringLiteral("*.mp4"));
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(QStringLiteral("mp4"));
  dialog.selectFile(QStringLiteral("Note.mp4"));
  dialog.setOption(QFileDialog::DontConfirmOverwrite, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return dialog.selectedFiles().front();
}

QString AskSavePathOrDiscard(QWidget* owner, const SaveDialog& dialog) {
  for (;;) {
    const QString path = dialog ? dialog(owner) : QString();
    if (!path.isEmpty()) return path;
    const auto answer =
        QMessageBox::question(owner, kCaption, QStringLiteral("Discard the recording? It cannot be saved later."),
                              QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
    if (answer == QMessageBox::Yes) return {};
  }
}

SaveOutcome SaveRecording(const QString& videoPath, bool finished, const QString& path, const QString& tempFolder) {
  SaveOutcome outcome;
  if (finished) {
    outcome.saved = CopyFile(videoPath, path, outcome.error);
  } else {
    const RemuxReport report = RemuxRecording(videoPath.toStdString(), path.toStdString());
    outcome.saved = Succeeded(report.result);
    if (!outcome.saved) outcome.error = QStringLiteral("the recording holds no readable video");
  }
  if (!outcome.saved) return outcome;

  // The mail folder gets a copy of the saved video; the share dialog offers
  // the video only once that copy is there. A finished file is moved there.
  const QString mailFolder = MailFolder(tempFolder);
  QDir().mkpath(mailFolder);
  const QString mailCopy = mailFolder + QStringLiteral("Note.mp4");
  QFile::remove(mailCopy);
  QString ignored;
  outcome.mailCopy = (finished && QFile::rename(videoPath, mailCopy)) || CopyFile(path, mailCopy, ignored);
  if (outcome.mailCopy) g_recording.bVideoReady = 1;
  return outcome;
}

void ShowSaveOutcome(QWidget* owner, const SaveOutcome& outcome, const QString& path) {
  if (outcome.saved)
    QMessageBox::information(owner, kCaption, g_strings.Get(10005));
  else
    QMessageBox::warning(owner, kCaption, QStringLiteral("The video could not be saved to %1: %2.").arg(path, outcome.error));
}

}  // namespace scrivel
