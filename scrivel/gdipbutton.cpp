#include "scrivel/gdipbutton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>

#include "scrivel/gdiplusbitmapresource.h"

CGdipButton::CGdipButton(QWidget* parent) : QAbstractButton(parent) {
  // Every look covers the whole button: nothing underneath needs painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_hoverTimer.setSingleShot(true);
  m_hoverTimer.setInterval(kHoverTimeMs);
  connect(&m_hoverTimer, &QTimer::timeout, this, [this] {
    m_hover = true;
    update();
  });
}

CGdipButton* CGdipButton::Create(QWidget* parent, int id, QRect geometry) {
  auto* button = new CGdipButton(parent);
  button->setObjectName(QString::number(id));
  button->setGeometry(geometry);
  return button;
}

CGdipButton::~CGdipButton() = default;

bool CGdipButton::LoadNormalImage(unsigned id, const QString& type) {
  auto image = std::make_unique<CGdiPlusBitmapResource>();
  const bool loaded = image->Load(id, type);
  m_pStdImage = std::move(image);
  // Looks rendered before (from no picture or another one) are out of date.
  DropLooks();
  update();
  return loaded;
}

void CGdipButton::ResetNormalImage(int flag, unsigned id, const QString& type) {
  if (flag == 0) return;
  // All three looks go, the pressed one included, so that no look keeps
  // showing a picture the button no longer carries.
  DropLooks();
  LoadNormalImage(id, type);
}

bool CGdipButton::HasImage() const { return m_pStdImage && !m_pStdImage->IsEmpty(); }

int CGdipButton::HotChannel(int value) {
  // 1.05 v + 0.05 x 255, rounded to nearest, in integer arithmetic.
  const int scaled = (105 * value + 1275 + 50) / 100;
  return std::clamp(scaled, 0, 255);
}

QImage CGdipButton::HotImage(const QImage& image) {
  QImage hot = image.convertToFormat(QImage::Format_ARGB32);
  int table[256];
  for (int v = 0; v < 256; ++v) table[v] = HotChannel(v);
  for (int y = 0; y < hot.height(); ++y) {
    auto* line = reinterpret_cast<QRgb*>(hot.scanLine(y));
    for (int x = 0; x < hot.width(); ++x) {
      const QRgb p = line[x];
      line[x] = qRgba(table[qRed(p)], table[qGreen(p)], table[qBlue(p)], qAlpha(p));
    }
  }
  return hot;
}

QSize CGdipButton::sizeHint() const {
  return HasImage() ? m_pStdImage->Bitmap().size() : QSize(32, 32);
}

QPixmap CGdipButton::RenderLook(const QImage& image, QPoint offset) const {
  const qreal ratio = devicePixelRatioF();
  QPixmap look(size() * ratio);
  look.setDevicePixelRatio(ratio);
  // The window's background shows through the picture's transparent pixels.
  const QWidget* back = parentWidget() ? parentWidget() : this;
  look.fill(back->palette().color(back->backgroundRole()));
  if (!image.isNull()) {
    QPainter painter(&look);
    // Unscaled, from the top-left corner; what does not fit is clipped.
    painter.drawImage(offset, image);
  }
  return look;
}

void CGdipButton::RenderLooks() {
  const QImage image = HasImage() ? m_pStdImage->Bitmap() : QImage();
  m_dcStd = RenderLook(image, QPoint(0, 0));
  m_dcStdP = RenderLook(image, QPoint(1, 1));
  m_dcStdH = RenderLook(image.isNull() ? image : HotImage(image), QPoint(0, 0));
  m_imagesReady = true;
}

void CGdipButton::DropLooks() {
  m_imagesReady = false;
  m_dcStd = QPixmap();
  m_dcStdP = QPixmap();
  m_dcStdH = QPixmap();
}

void CGdipButton::paintEvent(QPaintEvent*) {
  if (!m_imagesReady) RenderLooks();
  const QPixmap& look = isDown() ? m_dcStdP : (m_hover ? m_dcStdH : m_dcStd);
  QPainter painter(this);
  painter.drawPixmap(0, 0, look);
}

void CGdipButton::enterEvent(QEnterEvent* event) {
  if (!m_tracking) {
    m_tracking = true;
    m_hoverTimer.start();
  }
  QAbstractButton::enterEvent(event);
}

void CGdipButton::leaveEvent(QEvent* event) {
  m_hoverTimer.stop();
  m_tracking = false;
  m_hover = false;
  update();
  QAbstractButton::leaveEvent(event);
}

void CGdipButton::mouseDoubleClickEvent(QMouseEvent* event) {
  // The second press of a fast double click is a press like any other, so a
  // double click counts as two clicks.
  mousePressEvent(event);
}

void CGdipButton::resizeEvent(QResizeEvent* event) {
  DropLooks();
  QAbstractButton::resizeEvent(event);
}

void CGdipButton::changeEvent(QEvent* event) {
  // The looks carry the window's background colour and the screen's pixel ratio.
  if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ParentChange)
    DropLooks();
  QAbstractButton::changeEvent(event);
}
