#pragma once
// A document as a plain value, in Xournal++'s terms: a title and pages; each
// page has a size in points (1/72 inch), a solid background colour and one
// layer whose elements are drawn in order: strokes and images.
//
// Coordinates are points from the page's top-left corner.

#include <QByteArray>
#include <QColor>
#include <QPointF>
#include <QRectF>
#include <QString>

#include <optional>
#include <utility>
#include <variant>
#include <vector>

struct XoppStroke {
  // An eraser stroke is a whiteout: Xournal++ draws it white over what lies
  // beneath.
  enum class Tool { Pen, Eraser };

  Tool tool = Tool::Pen;
  QColor colour = Qt::black;  // with its alpha
  double width = 1.0;         // points
  // Milliseconds since the document began, when known.
  std::optional<qint64> ts;
  // Filled with the stroke's colour as a closed shape, when set (alpha 0..255
  // of the fill, as Xournal++ keeps it).
  std::optional<int> fill;
  std::vector<QPointF> points;  // two at least for anything to show
};

struct XoppImage {
  QByteArray png;  // the picture's PNG file
  QRectF rect;     // where it is drawn (left, top, right, bottom)
};

using XoppElement = std::variant<XoppStroke, XoppImage>;

struct XoppPage {
  double width = 595.0;   // points (A4 by default)
  double height = 842.0;
  QColor background = Qt::white;
  // Extra attributes of the page element (name, value), written after the
  // size: Xournal++ ignores those it does not know, so they carry facts such
  // as a page's time stamp.
  std::vector<std::pair<QString, QString>> attributes;
  std::vector<XoppElement> elements;  // its one layer, bottom first

  void AddStroke(XoppStroke stroke) { elements.emplace_back(std::move(stroke)); }
  void AddImage(XoppImage image) { elements.emplace_back(std::move(image)); }
};

struct XoppDocument {
  QString title;
  std::vector<XoppPage> pages;
};
