#include "note/penevent.h"

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  const int64_t product = int64_t{a} * b;
  const int64_t half = (c < 0 ? -int64_t{c} : int64_t{c}) / 2;
  const bool negative = (product < 0) != (c < 0);
  const int64_t magnitude = ((product < 0 ? -product : product) + half) / (c < 0 ? -int64_t{c} : c);
  return int(negative ? -magnitude : magnitude);
}

QPoint PenToCanvas(int x, int y, const QRect& canvas) {
  return QPoint(MulDiv(x + 5750, canvas.width(), 11500) + canvas.left(),
                MulDiv(y, canvas.height(), 16000) + canvas.top());
}

QPoint ClampToCanvas(QPoint point, const QRect& canvas) {
  const int left = canvas.left(), right = canvas.left() + canvas.width();
  const int top = canvas.top(), bottom = canvas.top() + canvas.height();
  if (point.x() < left) point.setX(left);
  else if (point.x() > right) point.setX(right);
  if (point.y() < top) point.setY(top);
  else if (point.y() > bottom) point.setY(bottom);
  return point;
}

std::optional<PenEvent> PenEventFromRoute(const ZMTEvent& event, const QRect& canvas) {
  PenEvent pen;
  switch (event.type) {
    case ZMT_EVT_PENDOWN: pen.type = PenEvent::Type::Down; break;
    case ZMT_EVT_PENMOVE: pen.type = PenEvent::Type::Move; break;
    case ZMT_EVT_PENUP: pen.type = PenEvent::Type::Up; break;
    default: return std::nullopt;
  }
  pen.point = ClampToCanvas(PenToCanvas(event.x, event.y, canvas), canvas);
  pen.source = PenEvent::Source::Pen;
  return pen;
}
