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

// How many straight pieces keep within `tolerance` of the cubic Bezier
// segment p0, c1, c2, p3 (Wang's bound); 1 when its chord already does.
int FlatteningSteps(const QPointF& p0, const QPointF& c1, const QPointF& c2, const QPointF& p3,
                    double tolerance);

// The path's curves as a polyline: each cubic segment cut into straight
// pieces that stay within `tolerance` of it (Wang's bound), in the path's own
// units; the first point of the path first, each segment's end point last.
std::vector<QPointF> FlattenPath(const QPainterPath& path, double tolerance);
