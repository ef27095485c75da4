#include "recording/interruptedrecordings.h"

#include <QDateTime>
#include <QFileInfo>
#include <QMessageBox>

#include "common/trace.h"
#include "recording/recordingfolder.h"
#include "recording/recordingstate.h"

namespace scrivel {

int OfferInterruptedRecordings(QWidget* owner, const SaveDialog& dialog) {
  const QString temp = RecordingTempFolder();
  int saved = 0;
  for (const QString& path : CRecordingFolder::Interrupted(temp)) {
    CRecordingFolder folder;
    if (!folder.Adopt(path)) continue;  // taken by another Scrivel meanwhile
    const QFileInfo video(folder.videoPath());
    if (!video.exists() || video.size() == 0) {
      Trace("interrupted recording %s holds no video; removed", qPrintable(path));
      folder.Remove();
      continue;
    }
    QMessageBox::information(
        owner, QStringLiteral("Scrivel"),
        QStringLiteral("A recording was interrupted before it was saved (last written %1). "
                       "Choose where to save what was recorded.")
            .arg(QLocale().toString(video.lastModified(), QLocale::ShortFormat)));
    for (;;) {
      const QString target = AskSavePathOrDiscard(owner, dialog);
      if (target.isEmpty()) {
        folder.Remove();
        break;
      }
      const SaveOutcome outcome = SaveRecording(folder.videoPath(), false, target, temp);
      ShowSaveOutcome(owner, outcome, target);
      if (outcome.saved) {
        ++saved;
        folder.Remove();
        break;
      }
    }
  }
  return saved;
}

}  // namespace scrivel
