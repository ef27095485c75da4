#include "recording/recordingsettings.h"

#include <QSettings>

#include <algorithm>

#include "common/trace.h"
#include "media/recordingformat.h"

namespace scrivel {

QSize RecordingPictureSize(const QSize& windowSize) {
  // The native format on Linux is an INI file named "<application>.conf".
  const QSettings settings(QStringLiteral("Scrivel"), QStringLiteral("Scrivel"));
  const QString choice = settings.value(QStringLiteral("Recording/PictureSize")).toString().trimmed();
  if (choice.compare(QLatin1String("window"), Qt::CaseInsensitive) == 0 && windowSize.isValid())
    return QSize(std::max(2, windowSize.width() & ~1), std::max(2, windowSize.height() & ~1));
  if (!choice.isEmpty() && choice != QLatin1String("352x288"))
    Trace("Recording/PictureSize=%s is not known; recording at 352x288", qPrintable(choice));
  return QSize(kPictureWidth, kPictureHeight);
}

}  // namespace scrivel
