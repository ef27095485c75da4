#include "xopp/xoppwriter.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QXmlStreamWriter>

#include "xopp/atomicfile.h"
#include "xopp/gzip.h"

namespace {

// The format version of Xournal++'s .xopp files whose time stamps are
// milliseconds.
constexpr auto kFileVersion = "4";

QString Number(double v) { return QString::number(v, 'g', 10); }

// A point's coordinate to a hundredth of a point (3.5 micrometres), finer
// than the pen resolves.
QString Coordinate(double v) {
  QString text = QString::number(v, 'f', 2);
  while (text.endsWith(QLatin1Char('0'))) text.chop(1);
  if (text.endsWith(QLatin1Char('.'))) text.chop(1);
  return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

QString PointList(const std::vector<QPointF>& points) {
  QString text;
  text.reserve(qsizetype(points.size()) * 16);
  for (const QPointF& p : points) {
    if (!text.isEmpty()) text += QLatin1Char(' ');
    text += Coordinate(p.x());
    text += QLatin1Char(' ');
    text += Coordinate(p.y());
  }
  return text;
}

void WriteStroke(QXmlStreamWriter& xml, const XoppStroke& stroke) {
  xml.writeStartElement(QStringLiteral("stroke"));
  const bool pen = stroke.tool == XoppStroke::Tool::Pen;
  xml.writeAttribute(QStringLiteral("tool"), pen ? QStringLiteral("pen") : QStringLiteral("eraser"));
  if (pen && stroke.ts) xml.writeAttribute(QStringLiteral("ts"), QString::number(*stroke.ts));
  xml.writeAttribute(QStringLiteral("color"), XoppColour(stroke.colour));
  xml.writeAttribute(QStringLiteral("width"), Number(stroke.width));
  if (stroke.fill) xml.writeAttribute(QStringLiteral("fill"), QString::number(*stroke.fill));
  xml.writeCharacters(PointList(stroke.points));
  xml.writeEndElement();
}

void WriteImage(QXmlStreamWriter& xml, const XoppImage& image) {
  xml.writeStartElement(QStringLiteral("image"));
  xml.writeAttribute(QStringLiteral("left"), Number(image.rect.left()));
  xml.writeAttribute(QStringLiteral("top"), Number(image.rect.top()));
  xml.writeAttribute(QStringLiteral("right"), Number(image.rect.right()));
  xml.writeAttribute(QStringLiteral("bottom"), Number(image.rect.bottom()));
  xml.writeCharacters(QString::fromLatin1(image.png.toBase64()));
  xml.writeEndElement();
}

void WritePage(QXmlStreamWriter& xml, const XoppPage& page) {
  xml.writeStartElement(QStringLiteral("page"));
  xml.writeAttribute(QStringLiteral("width"), Number(page.width));
  xml.writeAttribute(QStringLiteral("height"), Number(page.height));
  for (const auto& [name, value] : page.attributes) xml.writeAttribute(name, value);
  xml.writeEmptyElement(QStringLiteral("background"));
  xml.writeAttribute(QStringLiteral("type"), QStringLiteral("solid"));
  xml.writeAttribute(QStringLiteral("color"), XoppColour(page.background));
  xml.writeAttribute(QStringLiteral("style"), QStringLiteral("plain"));
  xml.writeStartElement(QStringLiteral("layer"));
  for (const XoppElement& element : page.elements) {
    if (const auto* stroke = std::get_if<XoppStroke>(&element))
      WriteStroke(xml, *stroke);
    else
      WriteImage(xml, std::get<XoppImage>(element));
  }
  xml.writeEndElement();  // layer
  xml.writeEndElement();  // page
}

}  // namespace

QByteArray PngBytes(const QImage& image) {
  QByteArray png;
  QBuffer buffer(&png);
  buffer.open(QIODevice::WriteOnly);
  image.save(&buffer, "PNG");
  return png;
}

QString XoppColour(const QColor& colour) {
  return QStringLiteral("#%1%2%3%4")
      .arg(colour.red(), 2, 16, QLatin1Char('0'))
      .arg(colour.green(), 2, 16, QLatin1Char('0'))
      .arg(colour.blue(), 2, 16, QLatin1Char('0'))
      .arg(colour.alpha(), 2, 16, QLatin1Char('0'));
}

QByteArray XoppXml(const XoppDocument& doc) {
  QByteArray out;
  QXmlStreamWriter xml(&out);
  xml.setAutoFormatting(true);
  xml.setAutoFormattingIndent(0);
  xml.writeStartDocument(QStringLiteral("1.0"), false);
  xml.writeStartElement(QStringLiteral("xournal"));
  const QString version = QCoreApplication::applicationVersion();
  xml.writeAttribute(QStringLiteral("creator"),
                     version.isEmpty() ? QStringLiteral("Scrivel") : QStringLiteral("Scrivel ") + version);
  xml.writeAttribute(QStringLiteral("fileversion"), QLatin1String(kFileVersion));
  xml.writeTextElement(QStringLiteral("title"), doc.title);
  for (const XoppPage& page : doc.pages) WritePage(xml, page);
  xml.writeEndElement();
  xml.writeEndDocument();
  return out;
}

QByteArray XoppBytes(const XoppDocument& doc) { return GzipBytes(XoppXml(doc)); }

bool WriteXopp(const QString& path, const XoppDocument& doc, QString* error) {
  const QByteArray bytes = XoppBytes(doc);
  if (bytes.isEmpty()) {
    if (error) *error = path + QStringLiteral(": compression failed");
    return false;
  }
  return WriteFileAtomically(path, bytes, error);
}
