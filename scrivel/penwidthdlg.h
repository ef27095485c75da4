#pragma once
// The pen width picker: a small borderless window that drops down under the
// live note's width button and offers widths 1, 2 and 3 as image buttons.
// A choice ends it; closing it any other way (Escape, a click elsewhere)
// leaves m_nWidth as it was.

#include <QDialog>
#include <QRect>

class CGdipButton;

class CPenWidthDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CPenWidthDlg(QWidget* parent = nullptr);

  int m_nWidth = 1;   // the width in and out: 1, 2 or 3
  QRect m_rcAnchor;   // screen rectangle of the button it opens under

  // Places the window under the anchor and gives the buttons their images.
  bool OnInitDialog();
  int exec() override;

 public slots:
  void OnWidth1();
  void OnWidth2();
  void OnWidth3();

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  CGdipButton* m_btnWidth1;  // 1000
  CGdipButton* m_btnWidth2;  // 1001
  CGdipButton* m_btnWidth3;  // 1002
};
