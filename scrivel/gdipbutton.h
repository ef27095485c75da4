#pragma once
// The image button of every window: a PNG picture from the program's resources
// over the window's background, with a pressed look (picture one pixel right
// and down) and a hover look (every colour channel brightened). The three
// looks are rendered once into pixmaps of the button's size; a paint is one
// pixmap copy.

#include <QAbstractButton>
#include <QPixmap>
#include <QTimer>

#include <map>
#include <memory>

class CGdiPlusBitmapResource;

class CGdipButton : public QAbstractButton {
  Q_OBJECT

 public:
  // How long the mouse rests on the button before the hover look shows.
  static constexpr int kHoverTimeMs = 1;

  explicit CGdipButton(QWidget* parent = nullptr);
  ~CGdipButton() override;

  // A button of a dialog: named after its control id (tests find it by that
  // name) and placed at `geometry` in the parent.
  static CGdipButton* Create(QWidget* parent, int id, QRect geometry);

  // Loads the picture that the button shows from resource (id, type). False
  // when it cannot be loaded: the button then shows no picture.
  bool LoadNormalImage(unsigned id, const QString& type);
  // With a non-zero flag: replaces the picture and renders every look again
  // from it at the next paint. With flag 0 nothing happens.
  void ResetNormalImage(int flag, unsigned id, const QString& type);

  bool HasImage() const;
  // The id of the picture shown; 0 when none.
  unsigned ImageId() const;

  // Tooltips that follow the picture: the text for each picture id, and for
  // any other picture the text under id 0. The button's tooltip changes with
  // its picture from now on, starting with the one it shows.
  void SetImageTips(std::map<unsigned, QString> tips);
  // The factor by which the window's layout was scaled: the picture is drawn
  // at its own size times this factor (1: its own size).
  void SetPictureScale(qreal scale);
  qreal PictureScale() const { return m_pictureScale; }
  bool IsHovering() const { return m_hover; }
  bool IsFocusShown() const { return m_focusShown && hasFocus(); }

  // The brightening of the hover look on one 8-bit channel:
  // 1.05 x value + 0.05 on the 0..1 scale, clamped.
  static int HotChannel(int value);
  // The hover picture: HotChannel on red, green and blue, alpha kept.
  static QImage HotImage(const QImage& image);

  QSize sizeHint() const override;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void enterEvent(QEnterEvent* event) override;
  void leaveEvent(QEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void changeEvent(QEvent* event) override;
  void focusInEvent(QFocusEvent* event) override;
  void focusOutEvent(QFocusEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void RenderLooks();
  void ApplyImageTip();
  // The picture as drawn on this screen: its pixels for the scaled size at
  // the screen's pixel ratio; null when the button has none.
  QImage ScreenPicture() const;
  void DropLooks();
  QPixmap RenderLook(const QImage& image, QPoint offset) const;

  bool m_imagesReady = false;
  bool m_hover = false;
  bool m_tracking = false;  // the hover timer runs or the hover look shows
  std::unique_ptr<CGdiPlusBitmapResource> m_pStdImage;
  QPixmap m_dcStd;   // normal look
  QPixmap m_dcStdP;  // pressed look
  QPixmap m_dcStdH;  // hover look
  QTimer m_hoverTimer;
  std::map<unsigned, QString> m_imageTips;
  qreal m_pictureScale = 1.0;
  bool m_focusShown = false;  // the keyboard brought the focus: the frame shows
};
