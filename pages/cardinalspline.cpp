#include "pages/cardinalspline.h"

#include <algorithm>
#include <cmath>

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

namespace {

double Length(const QPointF& p) { return std::hypot(p.x(), p.y()); }

QPointF CubicAt(const QPointF& p0, const QPointF& c1, const QPointF& c2, const QPointF& p3, double t) {
  const double u = 1 - t;
  return u * u * u * p0 + 3 * u * u * t * c1 + 3 * u * t * t * c2 + t * t * t * p3;
}

}  // namespace

int FlatteningSteps(const QPointF& p0, const QPointF& c1, const QPointF& c2, const QPointF& p3,
                    double tolerance) {
  // A cubic's chords stay within 3/4 * M / n^2 of it, M the largest second
  // difference of its control points.
  const double m = std::max(Length(p0 - 2 * c1 + c2), Length(c1 - 2 * c2 + p3));
  // At most kMaxSteps, so that a tolerance of 0 (or a huge curve) stays finite.
  constexpr double kMaxSteps = 1024;
  const double steps = std::ceil(std::sqrt(0.75 * m / tolerance));
  return std::max(1, static_cast<int>(std::min(kMaxSteps, std::isnan(steps) ? 1.0 : steps)));
}

std::vector<QPointF> FlattenPath(const QPainterPath& path, double tolerance) {
  std::vector<QPointF> points;
  if (path.isEmpty()) return points;
  const auto at = [&path](int i) { return QPointF(path.elementAt(i).x, path.elementAt(i).y); };
  points.push_back(at(0));
  for (int i = 1; i + 2 < path.elementCount(); i += 3) {
    const QPointF p0 = points.back(), c1 = at(i), c2 = at(i + 1), p3 = at(i + 2);
    const int steps = FlatteningSteps(p0, c1, c2, p3, tolerance);
    for (int step = 1; step < steps; ++step) points.push_back(CubicAt(p0, c1, c2, p3, double(step) / steps));
    points.push_back(p3);
  }
  return points;
}
