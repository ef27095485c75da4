#include "pages/pagedocuments.h"

#include <QDir>
#include <QFileInfo>

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
  QStringList failures;
  const QString title = DocumentTitle(folder);

  const QString pdfPath = PageDocumentPath(folder, QStringLiteral("pdf"));
  QString error;
  const std::optional<QByteArray> pdf = PagesPdf(title, pages, &error);
  if (!pdf || !WriteFileAtomically(pdfPath, *pdf, &error)) failures << pdfPath + ": " + error;

  const QString xoppPath = PageDocumentPath(folder, QStringLiteral("xopp"));
  error.clear();
  if (!WriteXopp(xoppPath, PagesXopp(title, pages), &error)) failures << xoppPath + ": " + error;
  return failures;
}
