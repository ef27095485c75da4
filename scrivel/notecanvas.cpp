#include "scrivel/notecanvas.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QPaintEvent>
#include <QTabletEvent>

#include "note/canvasimage.h"

CNoteCanvas::CNoteCanvas(QWidget* parent) : QWidget(parent) {
  // Every pixel is painted from the canvas image or the frame.
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMouseTracking(true);
  // Qt sends proximity events to the application, not to a widget.
  if (QCoreApplication* app = QCoreApplication::instance()) app->installEventFilter(this);
}

QRect CNoteCanvas::CanvasRect() const { return rect().adjusted(0, 1, 0, -1); }

void CNoteCanvas::UpdateCanvas(const QRect& canvasRect) {
  if (!canvasRect.isEmpty()) update(canvasRect.translated(CanvasRect().topLeft()));
}

void CNoteCanvas::UpdateCanvas(const QRegion& canvasRegion) {
  if (!canvasRegion.isEmpty()) update(canvasRegion.translated(CanvasRect().topLeft()));
}

void CNoteCanvas::paintEvent(QPaintEvent* event) {
  QPainter painter(this);
  const QRect canvas = CanvasRect();
  // The frame's top and bottom edges; the canvas covers the rest.
  painter.fillRect(QRect(0, 0, width(), 1), Qt::black);
  painter.fillRect(QRect(0, height() - 1, width(), 1), Qt::black);
  if (m_image == nullptr) {
    painter.fillRect(canvas, Qt::white);
    return;
  }
  const QImage& image = m_image->image();
  for (const QRect& r : event->region()) {
    const QRect part = r & canvas;
    if (!part.isEmpty()) painter.drawImage(part.topLeft(), image, part.translated(-canvas.topLeft()));
  }
}

void CNoteCanvas::EmitMouse(PenEvent::Type type, QMouseEvent* event) {
  PenEvent pen;
  pen.type = type;
  pen.source = PenEvent::Source::Mouse;
  pen.point = ToCanvas(event->position().toPoint());
  const Qt::MouseButtons buttons = event->buttons();
  const Qt::KeyboardModifiers keys = event->modifiers();
  if (buttons & Qt::LeftButton) pen.flags |= PenEvent::kLeftButton;
  if (buttons & Qt::RightButton) pen.flags |= PenEvent::kRightButton;
  if (buttons & Qt::MiddleButton) pen.flags |= PenEvent::kMiddleButton;
  if (keys & Qt::ShiftModifier) pen.flags |= PenEvent::kShift;
  if (keys & Qt::ControlModifier) pen.flags |= PenEvent::kControl;
  emit mouseInput(pen);
}

void CNoteCanvas::mousePressEvent(QMouseEvent* event) {
  EmitMouse(PenEvent::Type::Down, event);
}

void CNoteCanvas::mouseMoveEvent(QMouseEvent* event) {
  EmitMouse(PenEvent::Type::Move, event);
}

void CNoteCanvas::mouseReleaseEvent(QMouseEvent* event) {
  EmitMouse(PenEvent::Type::Up, event);
}

void CNoteCanvas::EmitPen(PenEvent::Type type, QPoint canvasPoint) {
  PenEvent pen;
  pen.type = type;
  pen.source = PenEvent::Source::Pen;
  pen.point = canvasPoint;
  m_tabletLast = canvasPoint;
  emit penInput(pen);
}

void CNoteCanvas::EndTabletStroke() {
  if (!m_tabletDown) return;
  m_tabletDown = false;
  EmitPen(PenEvent::Type::Up, m_tabletLast);
}

void CNoteCanvas::tabletEvent(QTabletEvent* event) {
  // Accepted: Qt then makes no mouse events of it, so the mouse keeps its roles.
  event->accept();
  const QRect canvas(QPoint(0, 0), CanvasRect().size());
  const QPoint at = ToCanvas(event->position().toPoint());
  const QPoint clamped = ClampToCanvas(at, canvas);
  switch (event->type()) {
    case QEvent::TabletPress:
      if (m_tabletDown || !canvas.contains(at)) break;
      m_tabletDown = true;
      EmitPen(PenEvent::Type::Down, clamped);
      break;
    case QEvent::TabletMove:
      if (!m_tabletDown) break;  // hovering draws nothing
      if (clamped != at) {
        // The stroke left the canvas: it ends on the edge, as a pen-up would.
        EmitPen(PenEvent::Type::Move, clamped);
        EndTabletStroke();
      } else {
        EmitPen(PenEvent::Type::Move, at);
      }
      break;
    case QEvent::TabletRelease:
      if (!m_tabletDown) break;
      m_tabletLast = clamped;
      EndTabletStroke();
      break;
    default:
      break;
  }
}

bool CNoteCanvas::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::TabletLeaveProximity) EndTabletStroke();
  return QWidget::eventFilter(watched, event);
}
