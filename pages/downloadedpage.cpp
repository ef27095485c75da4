#include "pages/downloadedpage.h"

QString PageCaption(const DownloadedPage& page) {
  QString caption = QStringLiteral("Page %1").arg(page.number);
  if (!page.timeStamp.isEmpty()) caption += ' ' + page.timeStamp;
  if (page.flipped) caption += QStringLiteral(", back of the sheet");
  if (page.uploaded) caption += QStringLiteral(", downloaded before");
  return caption;
}
