#include "note/notedocument.h"

#include <QFileInfo>
#include <QPainterPath>

#include "note/picturedrag.h"
#include "note/pagepaint.h"
#include "pages/cardinalspline.h"
#include "xopp/xoppwriter.h"

namespace {

// Canvas pixels have their centres on integer coordinates; a document's
// points run from the page's edge: pixel (0, 0) spans 0..1.
constexpr double kPixelCentre = 0.5;

// A filled white square (edges in document points) over what lies beneath.
XoppStroke Whiteout(const QRectF& r) {
  XoppStroke stroke;
  stroke.tool = XoppStroke::Tool::Eraser;
  stroke.colour = Qt::white;
  stroke.width = 0.01;
  stroke.fill = 255;
  stroke.points = {r.topLeft(), r.topRight(), r.bottomRight(), r.bottomLeft(), r.topLeft()};
  return stroke;
}

XoppStroke InkStroke(const vecPointF& stroke) {
  XoppStroke ink;
  ink.colour = ColorFromColorRef(stroke.color);
  ink.width = stroke.width;
  if (stroke.ms >= 0) ink.ts = stroke.ms;
  // The curve the canvas draws, as the straight pieces it is made of.
  const QList<QPolygonF> pieces = CardinalSplinePath(stroke.points).toSubpathPolygons();
  for (const QPolygonF& piece : pieces)
    for (const QPointF& p : piece) ink.points.push_back(p + QPointF(kPixelCentre, kPixelCentre));
  return ink;
}

void AddPictures(XoppPage& out, const StorePageInfo& page, const PictureLoader& loadPicture) {
  for (size_t k = 0; k < page.pictures.size(); ++k) {
    const StoreImageNameArea& picture = page.pictures[k];
    if (picture.areas.empty()) continue;
    const QRect& area = picture.areas.back();
    const QImage image = loadPicture ? loadPicture(picture.path) : QImage();
    if (image.isNull() || area.width() == 0 || area.height() == 0) continue;
    // A picture dragged inside out shows mirrored.
    const QImage shown = image.mirrored(area.width() < 0, area.height() < 0);
    const QRect cover = AreaCover(area);
    out.AddImage({PngBytes(shown), QRectF(cover)});
    for (const StoreErasure& erasure : page.erasures)
      for (const StoreErasure::Picture& reached : erasure.pictures) {
        if (reached.index != int(k) || reached.area.width() == 0 || reached.area.height() == 0) continue;
        for (const StoreErasure::Square& square : erasure.squares) {
          const QRectF hole = ErasedOnPicture(square.rect, reached.area, area) & QRectF(cover);
          if (!hole.isEmpty()) out.AddStroke(Whiteout(hole));
        }
      }
  }
}

void AddStrokes(XoppPage& out, const StorePageInfo& page) {
  // A square of rank k whitens strokes 0 to k - 1: it comes right after them.
  const size_t count = page.strokes.size();
  std::vector<std::vector<QRect>> after(count + 1);
  for (const StoreErasure& erasure : page.erasures)
    for (const StoreErasure::Square& square : erasure.squares)
      if (square.strokes > 0) after[size_t(std::min(square.strokes, int(count)))].push_back(square.rect);
  for (size_t k = 0; k < count; ++k) {
    if (page.strokes[k].points.size() >= 2) out.AddStroke(InkStroke(page.strokes[k]));
    for (const QRect& square : after[k + 1]) out.AddStroke(Whiteout(QRectF(square)));
  }
}

}  // namespace

XoppDocument NoteDocument(const std::vector<StorePageInfo>& pages, QSize canvas,
                          const QString& title, const PictureLoader& loadPicture) {
  XoppDocument doc;
  doc.title = title;
  for (const StorePageInfo& page : pages) {
    XoppPage out;
    out.width = canvas.width();
    out.height = canvas.height();
    AddPictures(out, page, loadPicture);
    AddStrokes(out, page);
    doc.pages.push_back(std::move(out));
  }
  return doc;
}

QString NoteTitle(const QString& document) {
  return QStringLiteral("Scrivel note ") + QFileInfo(document).completeBaseName();
}

StorePageInfo PageContent(const StorePageInfo& page) {
  StorePageInfo content;
  content.pictures = page.pictures;
  content.strokes = page.strokes;
  content.erasures = page.erasures;
  return content;
}
