#include "pages/pagespdf.h"

#include <hpdf.h>
#include <hpdf_pages.h>
#include <zlib.h>

#include <QPainterPath>

#include <cmath>
#include <memory>

#include "pages/cardinalspline.h"
#include "pages/pagesheet.h"

namespace {

// libharu reports failures through a handler; the first one is kept.
struct HaruError {
  HPDF_STATUS code = HPDF_OK;
  HPDF_STATUS detail = 0;
};

void HPDF_STDCALL OnHaruError(HPDF_STATUS code, HPDF_STATUS detail, void* context) {
  auto* error = static_cast<HaruError*>(context);
  if (error->code == HPDF_OK) *error = {code, detail};
}

struct HaruDocDeleter {
  void operator()(HPDF_Doc doc) const { HPDF_Free(doc); }
};
using HaruDoc = std::unique_ptr<std::remove_pointer_t<HPDF_Doc>, HaruDocDeleter>;

// The page's user space: a grid of kGridUnit pen units (0.08 mm, a quarter
// of the ink's width; no point moves by more than half of it), so that every
// coordinate is a whole number. Each stroke is written relative to its first
// point, which keeps the numbers short: a page of dense writing stays under
// 40 KB and compresses fast.
constexpr double kGridUnit = 4.0;

// A segment that stays this close to its chord (pen units: 0.08 mm, a grid
// unit, a quarter of the ink's width) is written as a straight line, a third
// of a curve's bytes. Most segments between two pen samples are that flat.
constexpr double kLineTolerance = 4.0;

// Whole grid units from pen units relative to `origin`.
HPDF_REAL Grid(double value, double origin) { return static_cast<HPDF_REAL>(std::round(value / kGridUnit) - origin); }

// Draws one stroke relative to its first point, `origin` (grid units), which
// becomes the new origin of the user space; `origin` holds the previous one.
void DrawStroke(HPDF_Page page, const QPainterPath& path, QPointF& origin) {
  const auto at = [&path](int i) { return QPointF(path.elementAt(i).x, path.elementAt(i).y); };
  QPointF from = at(0);
  const double ox = std::round(from.x() / kGridUnit), oy = std::round(from.y() / kGridUnit);
  HPDF_Page_Concat(page, 1, 0, 0, 1, static_cast<HPDF_REAL>(ox - origin.x()), static_cast<HPDF_REAL>(oy - origin.y()));
  origin = {ox, oy};
  HPDF_Page_MoveTo(page, 0, 0);
  for (int i = 1; i + 2 < path.elementCount(); i += 3) {
    const QPointF c1 = at(i), c2 = at(i + 1), to = at(i + 2);
    if (FlatteningSteps(from, c1, c2, to, kLineTolerance) == 1)
      HPDF_Page_LineTo(page, Grid(to.x(), ox), Grid(to.y(), oy));
    else
      HPDF_Page_CurveTo(page, Grid(c1.x(), ox), Grid(c1.y(), oy), Grid(c2.x(), ox), Grid(c2.y(), oy),
                        Grid(to.x(), ox), Grid(to.y(), oy));
    from = to;
  }
  HPDF_Page_Stroke(page);
}

void DrawStrokes(HPDF_Page page, const std::vector<StructPointF>& strokes) {
  const QTransform toSheet = PenToSheet();
  // Grid units to PDF space, whose y runs up from the bottom edge.
  HPDF_Page_Concat(page, static_cast<HPDF_REAL>(toSheet.m11() * kGridUnit), 0, 0,
                   static_cast<HPDF_REAL>(-toSheet.m22() * kGridUnit), static_cast<HPDF_REAL>(toSheet.dx()),
                   static_cast<HPDF_REAL>(kSheetSize.height()));
  HPDF_Page_SetLineWidth(page, static_cast<HPDF_REAL>(kSheetInkWidth / (toSheet.m11() * kGridUnit)));
  HPDF_Page_SetLineCap(page, HPDF_ROUND_END);
  HPDF_Page_SetLineJoin(page, HPDF_ROUND_JOIN);
  HPDF_Page_SetRGBStroke(page, 0, 0, 0);
  QPointF origin(0, 0);
  for (const StructPointF& stroke : strokes) {
    const QPainterPath path = CardinalSplinePath(stroke.points);
    if (!path.isEmpty()) DrawStroke(page, path, origin);
  }
}

// libharu deflates streams at zlib's default level only, which took three
// quarters of a download's PDF time. Each page's content is deflated here at
// the fastest level instead, and its dictionary names the filter itself:
// libharu writes /Filter only for the streams it deflates.

HPDF_STATUS WriteFlateFilter(HPDF_Dict /*dict*/, HPDF_Stream stream) {
  return HPDF_Stream_WriteStr(stream, "/Filter /FlateDecode\012");
}

// Replaces the finished page's content by its deflated bytes.
bool DeflateContent(HPDF_Page page) {
  auto* attr = static_cast<HPDF_PageAttr>(page->attr);
  HPDF_Stream content = attr->stream;
  QByteArray raw;
  raw.reserve(static_cast<qsizetype>(HPDF_Stream_Size(content)));
  for (HPDF_UINT i = 0; i < HPDF_MemStream_GetBufCount(content); ++i) {
    HPDF_UINT length = 0;
    const HPDF_BYTE* part = HPDF_MemStream_GetBufPtr(content, i, &length);
    if (part == nullptr) return false;
    raw.append(reinterpret_cast<const char*>(part), static_cast<qsizetype>(length));
  }
  uLongf size = compressBound(static_cast<uLong>(raw.size()));
  QByteArray deflated(static_cast<qsizetype>(size), Qt::Uninitialized);
  if (compress2(reinterpret_cast<Bytef*>(deflated.data()), &size, reinterpret_cast<const Bytef*>(raw.constData()),
                static_cast<uLong>(raw.size()), Z_BEST_SPEED) != Z_OK)
    return false;
  HPDF_MemStream_FreeData(content);
  if (HPDF_Stream_Write(content, reinterpret_cast<const HPDF_BYTE*>(deflated.constData()),
                        static_cast<HPDF_UINT>(size)) != HPDF_OK)
    return false;
  attr->contents->write_fn = WriteFlateFilter;
  return true;
}

QString Describe(const HaruError& error) {
  return QStringLiteral("the PDF library failed (error 0x%1, detail %2)")
      .arg(error.code, 4, 16, QChar('0'))
      .arg(error.detail);
}

}  // namespace

std::optional<QByteArray> PagesPdf(const QString& title, const std::vector<DownloadedPage>& pages,
                                   QString* error) {
  HaruError failure;
  HaruDoc doc(HPDF_New(OnHaruError, &failure));
  if (!doc) {
    *error = QStringLiteral("out of memory");
    return std::nullopt;
  }
  HPDF_SetInfoAttr(doc.get(), HPDF_INFO_CREATOR, "Scrivel");
  HPDF_SetInfoAttr(doc.get(), HPDF_INFO_TITLE, title.toUtf8().constData());
  HPDF_SetPageMode(doc.get(), HPDF_PAGE_MODE_USE_OUTLINE);
  HPDF_Outline contents = HPDF_CreateOutline(doc.get(), nullptr, "Pages", nullptr);
  HPDF_Outline_SetOpened(contents, HPDF_TRUE);
  for (const DownloadedPage& downloaded : pages) {
    HPDF_Page page = HPDF_AddPage(doc.get());
    HPDF_Page_SetWidth(page, static_cast<HPDF_REAL>(kSheetSize.width()));
    HPDF_Page_SetHeight(page, static_cast<HPDF_REAL>(kSheetSize.height()));
    DrawStrokes(page, downloaded.strokes);
    if (!DeflateContent(page) && failure.code == HPDF_OK) failure = {HPDF_ZLIB_ERROR, 0};
    HPDF_Outline entry =
        HPDF_CreateOutline(doc.get(), contents, PageCaption(downloaded).toUtf8().constData(), nullptr);
    HPDF_Outline_SetDestination(entry, HPDF_Page_CreateDestination(page));
    if (failure.code != HPDF_OK) break;
  }
  if (failure.code == HPDF_OK) HPDF_SaveToStream(doc.get());
  QByteArray bytes;
  if (failure.code == HPDF_OK) {
    bytes.resize(static_cast<qsizetype>(HPDF_GetStreamSize(doc.get())));
    HPDF_UINT32 size = static_cast<HPDF_UINT32>(bytes.size());
    HPDF_ReadFromStream(doc.get(), reinterpret_cast<HPDF_BYTE*>(bytes.data()), &size);
    bytes.resize(size);
  }
  if (failure.code != HPDF_OK) {
    *error = Describe(failure);
    return std::nullopt;
  }
  return bytes;
}
