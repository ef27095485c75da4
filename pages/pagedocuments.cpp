#include "pages/pagedocuments.h"

#include <QDir>
#include <QFileInfo>

#include <future>

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
  // compression for a full pen.
  const QString xoppPath = PageDocumentPath(folder, QStringLiteral("xopp"));
  std::future<QString> xoppFailure = std::async(std::launch::async, [&] {
    QString error;
    return WriteXopp(xoppPath, PagesXopp(title, pages), &error) ? QString() : xoppPath + ": " + error;
  });

  QStringList failures;
  const QString pdfPath = PageDocumentPath(folder, QStringLiteral("pdf"));
  QString error;
  const std::optional<QByteArray> pdf = PagesPdf(title, pages, &error);
  if (!pdf || !WriteFileAtomically(pdfPath, *pdf, &error)) failures << pdfPath + ": " + error;
  if (const QString failure = xoppFailure.get(); !failure.isEmpty()) failures << failure;
  return failures;
}
