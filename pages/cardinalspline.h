#pragma once
// Smooth curves through a stroke's points: a cardinal spline, drawn as one
// cubic Bezier segment between each pair of neighbouring points.

#include <QPainterPath>
#include <QPointF>

#include <vector>

// The default tension of a curve through points.
constexpr double kDefaultCurveTension = 0.5;

// The spline through `points` (end points repeated at the ends) as a path;
// fewer than two points give an empty path.
QPainterPath CardinalSplinePath(const std::vector<QPointF>& points,
                                double tension = kDefaultCurveTension);
