#include "scrivel/gdipbutton.h"

#include <QEnterEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>

#include <algorithm>

#include "scrivel/gdiplusbitmapresource.h"

CGdipButton::CGdipButton(QWidget* parent) : QAbstractButton(parent) {
  // Every look covers the whole button: nothing underneath needs painting.
  setAttribute(Qt::WA_OpaquePaintEvent);
  // Tab reaches the button and shows it; a click leaves the focus where it is,
  // so Space never presses a button the user cannot see focused.
  setFocusPolicy(Qt::TabFocus);
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
  ApplyImageTip();
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

unsigned CGdipButton::ImageId() const { return HasImage() ? m_pStdImage->Id() : 0; }

void CGdipButton::SetImageTips(std::map<unsigned, QString> tips) {
  m_imageTips = std::move(tips);
  ApplyImageTip();
}

void CGdipButton::ApplyImageTip() {
  if (m_imageTips.empty()) return;
  auto tip = m_imageTips.find(ImageId());
  if (tip == m_imageTips.end()) tip = m_imageTips.find(0);
  setToolTip(tip == m_imageTips.end() ? QString() : tip->second);
}

void CGdipButton::SetPictureScale(qreal scale) {
  if (scale <= 0 || scale == m_pictureScale) return;
  m_pictureScale = scale;
  DropLooks();
  update();
}

QImage CGdipButton::ScreenPicture() const {
  if (!HasImage()) return {};
  const qreal ratio = devicePixelRatioF();
  const QSizeF own = m_pStdImage->Bitmap().size();
  QImage picture = m_pStdImage->Rendered((own * m_pictureScale * ratio).toSize());
  picture.setDevicePixelRatio(ratio);
  return picture;
}

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
  const QSize own = HasImage() ? m_pStdImage->Bitmap().size() : QSize(32, 32);
  return (QSizeF(own) * m_pictureScale).toSize();
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
    // From the top-left corner at its own (or the layout's scaled) size,
    // never stretched to the button; what does not fit is clipped.
    painter.drawImage(offset, image);
  }
  return look;
}

void CGdipButton::RenderLooks() {
  const QImage image = ScreenPicture();
  QImage hot = image.isNull() ? image : HotImage(image);
  hot.setDevicePixelRatio(image.devicePixelRatio());
  m_dcStd = RenderLook(image, QPoint(0, 0));
  m_dcStdP = RenderLook(image, QPoint(1, 1));
  m_dcStdH = RenderLook(hot, QPoint(0, 0));
  m_imagesReady = true;
}

void CGdipButton::DropLooks() {
  m_imagesReady = false;
  m_dcStd = QPixmap();
  m_dcStdP = QPixmap();
  m_dcStdH = QPixmap();
}

void CGdipButton::paintEvent(QPaintEvent*) {
  // Moved to a screen of another pixel ratio: the looks are rendered anew.
  if (m_imagesReady && m_dcStd.devicePixelRatio() != devicePixelRatioF()) DropLooks();
  if (!m_imagesReady) RenderLooks();
  const QPixmap& look = isDown() ? m_dcStdP : (m_hover ? m_dcStdH : m_dcStd);
  QPainter painter(this);
  painter.drawPixmap(0, 0, look);
  if (IsFocusShown()) {
    // The keyboard focus: a frame in the highlight colour just inside the edge.
    painter.setPen(QPen(palette().color(QPalette::Highlight), 2));
    painter.setBrush(Qt::NoBrush);
    painter.drawRect(QRectF(rect()).adjusted(1, 1, -1, -1));
  }
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

void CGdipButton::focusInEvent(QFocusEvent* event) {
  // Back in an active window the focus shows as it did; the keyboard shows
  // it; anything else (the window handing focus to its first button) not.
  const Qt::FocusReason reason = event->reason();
  if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason)
    m_focusShown = true;
  else if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
    m_focusShown = false;
  QAbstractButton::focusInEvent(event);
}

void CGdipButton::focusOutEvent(QFocusEvent* event) {
  if (event->reason() != Qt::ActiveWindowFocusReason && event->reason() != Qt::PopupFocusReason)
    m_focusShown = false;
  QAbstractButton::focusOutEvent(event);
}

void CGdipButton::keyPressEvent(QKeyEvent* event) {
  // A key meant for a button the user cannot see focused shows the focus
  // first instead of pressing it.
  if (!m_focusShown && (event->key() == Qt::Key_Space || event->key() == Qt::Key_Select)) {
    m_focusShown = true;
    update();
    event->accept();
    return;
  }
  QAbstractButton::keyPressEvent(event);
}
