#include "pages/cardinalspline.h"

QPainterPath CardinalSplinePath(const std::vector<QPointF>& points, double tension) {
  QPainterPath path;
  const size_t n = points.size();
  if (n < 2) return path;
  const double k = tension / 3.0;
  path.moveTo(points[0]);
  for (size_t i = 0; i + 1 < n; ++i) {
    const QPointF& previous = points[i == 0 ? 0 : i - 1];
    const QPointF& from = points[i];
    const QPointF& to = points[i + 1];
    const QPointF& next = points[i + 2 < n ? i + 2 : n - 1];
    path.cubicTo(from + k * (to - previous), to - k * (next - from), to);
  }
  return path;
}
