#include "xopp/xoppreader.h"

#include <QFile>
#include <QXmlStreamReader>

#include "xopp/gzip.h"

namespace {

QColor ParseColour(QStringView text) {
  // "#RRGGBBAA"
  if (text.size() != 9 || !text.startsWith(QLatin1Char('#'))) return QColor(Qt::black);
  bool ok = false;
  const uint v = text.mid(1).toUInt(&ok, 16);
  if (!ok) return QColor(Qt::black);
  return QColor(int(v >> 24 & 0xff), int(v >> 16 & 0xff), int(v >> 8 & 0xff), int(v & 0xff));
}

std::vector<QPointF> ParsePoints(QStringView text) {
  std::vector<QPointF> points;
  const auto parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
  for (qsizetype i = 0; i + 1 < parts.size(); i += 2)
    points.emplace_back(parts[i].toDouble(), parts[i + 1].toDouble());
  return points;
}

XoppStroke ReadStroke(QXmlStreamReader& xml) {
  const QXmlStreamAttributes a = xml.attributes();
  XoppStroke stroke;
  stroke.tool = a.value(QStringLiteral("tool")) == QLatin1String("eraser") ? XoppStroke::Tool::Eraser
                                                                           : XoppStroke::Tool::Pen;
  stroke.colour = ParseColour(a.value(QStringLiteral("color")));
  // A width list (pressure) starts with the nominal width.
  stroke.width = a.value(QStringLiteral("width")).split(QLatin1Char(' ')).front().toDouble();
  if (a.hasAttribute(QStringLiteral("ts"))) stroke.ts = a.value(QStringLiteral("ts")).toLongLong();
  if (a.hasAttribute(QStringLiteral("fill"))) stroke.fill = a.value(QStringLiteral("fill")).toInt();
  stroke.points = ParsePoints(xml.readElementText());
  return stroke;
}

XoppImage ReadImage(QXmlStreamReader& xml) {
  const QXmlStreamAttributes a = xml.attributes();
  XoppImage image;
  const double left = a.value(QStringLiteral("left")).toDouble();
  const double top = a.value(QStringLiteral("top")).toDouble();
  image.rect = QRectF(QPointF(left, top), QPointF(a.value(QStringLiteral("right")).toDouble(),
                                                  a.value(QStringLiteral("bottom")).toDouble()));
  image.png = QByteArray::fromBase64(xml.readElementText().toLatin1());
  return image;
}

void ReadPage(QXmlStreamReader& xml, XoppDocument& doc) {
  XoppPage page;
  for (const QXmlStreamAttribute& a : xml.attributes()) {
    if (a.name() == QLatin1String("width"))
      page.width = a.value().toDouble();
    else if (a.name() == QLatin1String("height"))
      page.height = a.value().toDouble();
    else
      page.attributes.emplace_back(a.name().toString(), a.value().toString());
  }
  // A page cut off in the middle still keeps what was read of it.
  doc.pages.push_back(std::move(page));
  XoppPage& kept = doc.pages.back();
  int depth = 1;
  while (depth > 0 && !xml.atEnd()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::EndElement) {
      --depth;
    } else if (token == QXmlStreamReader::StartElement) {
      const auto name = xml.name();
      if (name == QLatin1String("background")) {
        kept.background = ParseColour(xml.attributes().value(QStringLiteral("color")));
        xml.skipCurrentElement();
      } else if (name == QLatin1String("layer")) {
        ++depth;
      } else if (name == QLatin1String("stroke")) {
        XoppStroke stroke = ReadStroke(xml);
        if (!xml.hasError()) kept.AddStroke(std::move(stroke));
      } else if (name == QLatin1String("image")) {
        XoppImage image = ReadImage(xml);
        if (!xml.hasError()) kept.AddImage(std::move(image));
      } else {
        xml.skipCurrentElement();
      }
    }
  }
}

}  // namespace

XoppReadResult ReadXoppBytes(const QByteArray& bytes) {
  XoppReadResult result;
  bool whole = true;
  const QByteArray data = bytes.startsWith("\x1f\x8b") ? GunzipBytes(bytes, &whole) : bytes;
  QXmlStreamReader xml(data);
  bool ended = false;
  while (!xml.atEnd()) {
    const auto token = xml.readNext();
    if (token == QXmlStreamReader::EndElement && xml.name() == QLatin1String("xournal")) ended = true;
    if (token != QXmlStreamReader::StartElement) continue;
    if (xml.name() == QLatin1String("title"))
      result.doc.title = xml.readElementText();
    else if (xml.name() == QLatin1String("page"))
      ReadPage(xml, result.doc);
    else if (xml.name() != QLatin1String("xournal"))
      xml.skipCurrentElement();
  }
  result.complete = whole && ended && !xml.hasError();
  if (!whole)
    result.error = QStringLiteral("the compressed data ends early or is damaged");
  else if (xml.hasError())
    result.error = xml.errorString();
  else if (!ended)
    result.error = QStringLiteral("the document has no end");
  return result;
}

XoppReadResult ReadXopp(const QString& path) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    XoppReadResult result;
    result.error = path + QStringLiteral(": ") + file.errorString();
    return result;
  }
  return ReadXoppBytes(file.readAll());
}
