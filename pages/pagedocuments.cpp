#include "pages/pagedocuments.h"

#include <QDir>
#include <QFileInfo>
#include <QThread>

#include <memory>

#include "pages/pagespdf.h"
#include "pages/pagesxopp.h"
#include "xopp/atomicfile.h"
#include "xopp/xoppwriter.h"

namespace {

QString DocumentTitle(const QString& folder) { return QFileInfo(QDir::cleanPath(folder)).fileName(); }

}  // namespace

QString PageDocumentPath(const QString& folder, const QString& suffix) {
  return QDir::cleanPath(folder) + "/" + DocumentTitle(folder) + "." + suffix;
}

QStringList SavePageDocuments(const QString& folder, const std::vector<DownloadedPage>& pages) {
  const QString title = DocumentTitle(folder);
  // The two documents are made side by side: each is a few seconds of
  // compression for a full pen. A QThread of its own, not a plain thread: the
  // writer's Qt objects then leave no thread data of Qt's behind.
  const QString xoppPath = PageDocumentPath(folder, QStringLiteral("xopp"));
  QString xoppFailure;
  const std::unique_ptr<QThread> xoppThread(QThread::create([&] {
    QString error;
    if (!WriteXopp(xoppPath, PagesXopp(title, pages), &error)) xoppFailure = xoppPath + ": " + error;
  }));
  xoppThread->start();

  QStringList failures;
  const QString pdfPath = PageDocumentPath(folder, QStringLiteral("pdf"));
  QString error;
  const std::optional<QByteArray> pdf = PagesPdf(title, pages, &error);
  if (!pdf || !WriteFileAtomically(pdfPath, *pdf, &error)) failures << pdfPath + ": " + error;
  xoppThread->wait();
  if (!xoppFailure.isEmpty()) failures << xoppFailure;
  return failures;
}
