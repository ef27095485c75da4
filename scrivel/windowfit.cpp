#include "scrivel/windowfit.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QWidget>

#include <algorithm>
#include <cmath>

#include "scrivel/gdipbutton.h"

namespace scrivel {

namespace {

constexpr const char* kScaleProperty = "scrivelLayoutScale";

int Scaled(int value, qreal factor) { return static_cast<int>(std::lround(value * factor)); }

// Edges are scaled, not sizes, so that neighbours that touched still touch.
QRect ScaledRect(const QRect& r, qreal factor) {
  const int left = Scaled(r.left(), factor), top = Scaled(r.top(), factor);
  return QRect(left, top, Scaled(r.left() + r.width(), factor) - left,
               Scaled(r.top() + r.height(), factor) - top);
}

QFont ScaledFont(QFont font, qreal factor) {
  if (font.pixelSize() > 0) font.setPixelSize(std::max(1, Scaled(font.pixelSize(), factor)));
  else if (font.pointSizeF() > 0) font.setPointSizeF(font.pointSizeF() * factor);
  return font;
}

}  // namespace

qreal FitFactor(QSize size, QSize available) {
  if (size.isEmpty() || available.isEmpty()) return 1.0;
  const qreal factor = std::min(qreal(available.width()) / size.width(),
                                qreal(available.height()) / size.height());
  return std::min<qreal>(1.0, factor);
}

QRect AvailableArea() {
  QScreen* screen = nullptr;
  if (const QWidget* active = QApplication::activeWindow()) screen = active->screen();
  if (screen == nullptr) screen = QGuiApplication::screenAt(QCursor::pos());
  if (screen == nullptr) screen = QGuiApplication::primaryScreen();
  return screen != nullptr ? screen->availableGeometry() : QRect();
}

void ScaleLayout(QWidget* window, qreal factor) {
  const QSize size = window->size();
  window->resize(Scaled(size.width(), factor), Scaled(size.height(), factor));
  if (window->testAttribute(Qt::WA_SetFont)) window->setFont(ScaledFont(window->font(), factor));
  for (QObject* object : window->children()) {
    auto* child = qobject_cast<QWidget*>(object);
    if (child == nullptr || child->isWindow()) continue;
    child->setGeometry(ScaledRect(child->geometry(), factor));
    if (child->testAttribute(Qt::WA_SetFont)) child->setFont(ScaledFont(child->font(), factor));
    if (auto* button = qobject_cast<CGdipButton*>(child)) button->SetPictureScale(button->PictureScale() * factor);
  }
}

qreal FitToScreen(QWidget* window, QSize decoration) {
  const QRect area = AvailableArea();
  const qreal factor = FitFactor(window->size(), area.size() - decoration);
  if (factor < 1.0) ScaleLayout(window, factor);
  if (!decoration.isEmpty() && !area.isEmpty()) {
    // A decorated window goes in the middle of the area, title bar included:
    // left to itself it may be placed with its title bar above the screen.
    QRect frame(QPoint(0, 0), window->size() + decoration);
    frame.moveCenter(area.center());
    window->move(frame.topLeft());
  }
  window->setProperty(kScaleProperty, LayoutScale(window) * factor);
  return factor;
}

qreal LayoutScale(const QWidget* window) {
  const QVariant scale = window->property(kScaleProperty);
  return scale.isValid() ? scale.toReal() : 1.0;
}

}  // namespace scrivel
