#include "pages/pagesxopp.h"

#include "pages/cardinalspline.h"
#include "pages/pagesheet.h"

namespace {

QString YesNo(bool value) { return value ? QStringLiteral("yes") : QStringLiteral("no"); }

XoppPage SheetPage(const DownloadedPage& downloaded) {
  XoppPage page;
  page.width = kSheetSize.width();
  page.height = kSheetSize.height();
  page.background = Qt::white;
  page.attributes = {{QStringLiteral("scrivel-page"), QString::number(downloaded.number)},
                     {QStringLiteral("scrivel-timestamp"), downloaded.timeStamp},
                     {QStringLiteral("scrivel-flipped"), YesNo(downloaded.flipped)},
                     {QStringLiteral("scrivel-uploaded"), YesNo(downloaded.uploaded)}};
  const QTransform toSheet = PenToSheet();
  for (const StructPointF& stroke : downloaded.strokes) {
    const QPainterPath curve = toSheet.map(CardinalSplinePath(stroke.points));
    if (curve.isEmpty()) continue;
    XoppStroke ink;
    ink.colour = Qt::black;
    ink.width = kSheetInkWidth;
    ink.points = FlattenPath(curve, kXoppCurveTolerance);
    page.AddStroke(std::move(ink));
  }
  return page;
}

}  // namespace

XoppDocument PagesXopp(const QString& title, const std::vector<DownloadedPage>& pages) {
  XoppDocument doc;
  doc.title = title;
  doc.pages.reserve(pages.size());
  for (const DownloadedPage& page : pages) doc.pages.push_back(SheetPage(page));
  return doc;
}
