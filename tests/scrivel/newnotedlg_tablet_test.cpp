// The live note with a tablet that the desktop knows: QTabletEvents on the
// canvas draw exactly as the same stroke from route events does; hovering
// draws nothing; leaving the canvas or the tablet's proximity mid-stroke ends
// the stroke there; the mouse keeps its roles.

#include <QApplication>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>
#include <memory>

#include "note/notepages.h"
#include "scrivel/newnotedlg.h"
#include "scrivel/notecanvas.h"
#include "tests/scrivel/livenotewindowtest.h"

namespace {

const QPointingDevice* Stylus() {
  static const QPointingDevice stylus(
      "test stylus", 4242, QInputDevice::DeviceType::Stylus, QPointingDevice::PointerType::Pen,
      QInputDevice::Capability::Position | QInputDevice::Capability::Pressure, 1, 2);
  return &stylus;
}

class TabletTest : public LiveNoteWindowTest {
 protected:

  // A tablet event at a canvas pixel (which may lie off the canvas).
  void Tablet(QEvent::Type type, QPoint canvasPoint) {
    CNoteCanvas* canvas = m_dlg->Canvas();
    const QPointF local(canvas->FromCanvas(canvasPoint));
    const bool touching = type != QEvent::TabletRelease && type != QEvent::TabletMove;
    QTabletEvent event(type, Stylus(), local, canvas->mapToGlobal(local), touching ? 0.6 : 0.0, 0,
                       0, 0, 0, 0, Qt::NoModifier, touching ? Qt::LeftButton : Qt::NoButton,
                       type == QEvent::TabletRelease ? Qt::NoButton : Qt::LeftButton);
    QApplication::sendEvent(canvas, &event);
  }
  void LeaveProximity() {
    QTabletEvent event(QEvent::TabletLeaveProximity, Stylus(), {}, {}, 0, 0, 0, 0, 0, 0,
                       Qt::NoModifier, Qt::NoButton, Qt::NoButton);
    QApplication::sendEvent(qApp, &event);
  }
  QPoint At(int x, int y) { return PenToCanvas(x, y, m_dlg->Model().CanvasRect()); }
};

struct Drawn {
  std::vector<QPointF> points;
  size_t history = 0;
  QImage canvas;
};

Drawn WhatPageOneHolds(CNewNoteDlg& dlg) {
  return {g_pages[0].strokes.at(0).points, g_pages[0].history.size(), dlg.Model().canvas().image()};
}

TEST_F(TabletTest, ATabletStrokeDrawsLikeTheSameStrokeFromRouteEvents) {
  const std::vector<QPoint> pen = {{-3000, 2000}, {-1000, 2600}, {500, 5200}, {2600, 9000}};
  m_dlg->HandleRouteEvent({ZMT_EVT_PENDOWN, int16_t(pen[0].x()), int16_t(pen[0].y())});
  for (size_t i = 1; i < pen.size(); ++i)
    m_dlg->HandleRouteEvent({ZMT_EVT_PENMOVE, int16_t(pen[i].x()), int16_t(pen[i].y())});
  m_dlg->HandleRouteEvent({ZMT_EVT_PENUP, int16_t(pen.back().x()), int16_t(pen.back().y())});
  const Drawn route = WhatPageOneHolds(*m_dlg);

  Open();  // a new note, the same window
  Tablet(QEvent::TabletPress, At(pen[0].x(), pen[0].y()));
  for (size_t i = 1; i < pen.size(); ++i) Tablet(QEvent::TabletMove, At(pen[i].x(), pen[i].y()));
  Tablet(QEvent::TabletRelease, At(pen.back().x(), pen.back().y()));
  const Drawn tablet = WhatPageOneHolds(*m_dlg);

  EXPECT_EQ(tablet.points, route.points);
  EXPECT_EQ(tablet.history, route.history) << "one undo step per stroke";
  EXPECT_EQ(tablet.canvas, route.canvas);
  EXPECT_EQ(g_bPenUp, 1);
}

TEST_F(TabletTest, StrokesEndWhereTheTabletLeaves) {
  const QSize size = m_dlg->Model().CanvasRect().size();
  struct Row {
    const char* name;
    std::function<void()> leave;
    QPoint lastPoint;
  };
  const Row rows[] = {
      {"proximity left mid-stroke", [this] { LeaveProximity(); }, QPoint(60, 50)},
      {"moved off the canvas", [&] { Tablet(QEvent::TabletMove, {60, size.height() + 40}); },
       QPoint(60, size.height())},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    Open();
    Tablet(QEvent::TabletMove, {5, 5});  // hovering: nothing
    EXPECT_TRUE(g_pages[0].current.points.empty());
    Tablet(QEvent::TabletPress, {40, 40});
    Tablet(QEvent::TabletMove, {60, 50});
    EXPECT_EQ(g_bPenUp, 0);
    row.leave();
    EXPECT_EQ(g_bPenUp, 1) << "the stroke ended";
    ASSERT_EQ(g_pages[0].strokes.size(), 1u);
    EXPECT_EQ(g_pages[0].strokes[0].points.back(), QPointF(row.lastPoint));
    // What follows until the next press draws nothing.
    Tablet(QEvent::TabletMove, {80, 80});
    Tablet(QEvent::TabletRelease, {80, 80});
    EXPECT_EQ(g_pages[0].strokes.size(), 1u);
    EXPECT_TRUE(g_pages[0].current.points.empty());
  }
}

TEST_F(TabletTest, TheMouseDrawsNoStroke) {
  QTest::mousePress(m_dlg->Canvas(), Qt::LeftButton, {}, QPoint(40, 40));
  QTest::mouseMove(m_dlg->Canvas(), QPoint(90, 90));
  QTest::mouseRelease(m_dlg->Canvas(), Qt::LeftButton, {}, QPoint(90, 90));
  EXPECT_TRUE(g_pages[0].strokes.empty());
  EXPECT_EQ(g_pages[0].history.size(), 1u);
}

}  // namespace
