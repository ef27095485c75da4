#include "recordingstate.h"

#include <QDir>

namespace scrivel {

RecordingState g_recording;

QString RecordingTempFolder() {
  QString folder = QDir::tempPath();
  if (folder.isEmpty()) folder = QStringLiteral("/tmp");
  if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
  return folder;
}

QString MailFolder(const QString& tempFolder) { return tempFolder + QStringLiteral("FMMAPI/"); }

void TakeRecordingPaths() {
  g_recording.strTempFolder = RecordingTempFolder();
}

QString ClockText(int elapsedMs) {
  return QString::asprintf("%02d:%02d:%02d", elapsedMs / 3600000, (elapsedMs % 3600000) / 60000,
                           (elapsedMs % 60000) / 1000);
}

}  // namespace scrivel
