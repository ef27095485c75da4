#include "pages/pagestrokes.h"

QPoint PenToThumb(int16_t x, int16_t y, const QRect& r) {
  const int32_t px = (static_cast<int32_t>(x) + 5100) * r.width() / 10200;
  const int32_t py = static_cast<int32_t>(y) * r.height() / 14400 + r.top();
  return {px, py};
}

std::vector<StructPointF> PenStrokes(const DUVOPAGE* records, int count) {
  std::vector<StructPointF> strokes;
  StructPointF current;
  for (int i = 0; i < count; ++i) {
    const DUVOPAGE& record = records[i];
    switch (record.wEvent) {
      case DUVO_EVT_PENDOWN:
      case DUVO_EVT_PENMOV:
        current.points.emplace_back(record.x, record.y);
        break;
      case DUVO_EVT_PENUP:
        strokes.push_back(std::move(current));
        current = {};
        break;
      default:
        break;
    }
  }
  if (!current.points.empty()) strokes.push_back(std::move(current));
  return strokes;
}

std::vector<StructPointF> PageStrokes(const std::vector<StructPointF>& penStrokes, const QRect& r) {
  std::vector<StructPointF> strokes(penStrokes.size());
  for (size_t i = 0; i < penStrokes.size(); ++i) {
    strokes[i].points.reserve(penStrokes[i].points.size());
    for (const QPointF& pen : penStrokes[i].points) {
      const QPoint p = PenToThumb(static_cast<int16_t>(pen.x()), static_cast<int16_t>(pen.y()), r);
      strokes[i].points.emplace_back(static_cast<float>(p.x()), static_cast<float>(p.y()));
    }
  }
  return strokes;
}

std::vector<StructPointF> PageStrokes(const DUVOPAGE* records, int count, const QRect& r) {
  return PageStrokes(PenStrokes(records, count), r);
}
