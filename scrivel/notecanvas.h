#pragma once
// The live note's canvas control: the frame (the static of the window's
// layout) with the canvas image inside it, one pixel below its top edge and
// one above its bottom edge. It shows the model's canvas image and repaints
// only what changed; mouse input leaves it as PenEvents in canvas pixels, for
// the window to hand to whatever handles the mouse on the canvas. A tablet
// that the desktop knows (QTabletEvent) writes like the pen: its press, moves
// and release leave as pen PenEvents, clamped onto the canvas; leaving the
// canvas or the tablet's proximity mid-stroke ends the stroke there.

#include <QWidget>

#include "note/penevent.h"

class CanvasImage;

class CNoteCanvas : public QWidget {
  Q_OBJECT

 public:
  explicit CNoteCanvas(QWidget* parent = nullptr);

  // The canvas image shown (owned by the model, outliving this control).
  void SetImage(const CanvasImage* image) { m_image = image; }
  // The canvas inside the frame, in this control's pixels (m_rcCanvas).
  QRect CanvasRect() const;
  // Canvas pixels to this control's pixels and back.
  QPoint FromCanvas(QPoint p) const { return p + CanvasRect().topLeft(); }
  QPoint ToCanvas(QPoint p) const { return p - CanvasRect().topLeft(); }
  // Repaints the control where canvas pixels changed.
  void UpdateCanvas(const QRect& canvasRect);
  void UpdateCanvas(const QRegion& canvasRegion);

 signals:
  // A mouse button went down or up, or the mouse moved, over the canvas.
  void mouseInput(const PenEvent& event);
  // A tablet pen wrote on the canvas (Source::Pen).
  void penInput(const PenEvent& event);

 protected:
  void paintEvent(QPaintEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void tabletEvent(QTabletEvent* event) override;
  // Watches the application for the tablet leaving proximity.
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void EmitMouse(PenEvent::Type type, QMouseEvent* event);
  void EmitPen(PenEvent::Type type, QPoint canvasPoint);
  // Ends a tablet stroke in progress where the pen was last.
  void EndTabletStroke();

  const CanvasImage* m_image = nullptr;
  bool m_tabletDown = false;
  QPoint m_tabletLast;  // canvas pixels
};
