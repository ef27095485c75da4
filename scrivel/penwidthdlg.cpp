#include "scrivel/penwidthdlg.h"

#include <QApplication>
#include <QPainter>
#include <QScreen>

#include "lang/textids.h"
#include "scrivel/buttontips.h"
#include "scrivel/dialogunits.h"
#include "scrivel/gdipbutton.h"

using scrivel::DluRect;

CPenWidthDlg::CPenWidthDlg(QWidget* parent) : QDialog(parent) {
  // A popup without caption: a click outside closes it like Escape.
  setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
  resize(DluRect(0, 0, 28, 68).size());
  m_btnWidth1 = CGdipButton::Create(this, 1000, DluRect(3, 0, 23, 23));
  m_btnWidth2 = CGdipButton::Create(this, 1001, DluRect(3, 22, 23, 23));
  m_btnWidth3 = CGdipButton::Create(this, 1002, DluRect(3, 45, 23, 23));
  connect(m_btnWidth1, &QAbstractButton::clicked, this, &CPenWidthDlg::OnWidth1);
  connect(m_btnWidth2, &QAbstractButton::clicked, this, &CPenWidthDlg::OnWidth2);
  connect(m_btnWidth3, &QAbstractButton::clicked, this, &CPenWidthDlg::OnWidth3);
  using namespace scrivel::text;
  scrivel::SetButtonTips(this, {{1000, 0, kTipWidthThin}, {1001, 0, kTipWidthMedium}, {1002, 0, kTipWidthThick}});
}

int CPenWidthDlg::exec() {
  OnInitDialog();
  return QDialog::exec();
}

bool CPenWidthDlg::OnInitDialog() {
  // On the anchor's screen (with several screens a window would otherwise
  // open on the primary one), its own size, its top-left corner 5 pixels
  // above the anchor's bottom edge.
  if (QScreen* screen = QGuiApplication::screenAt(m_rcAnchor.center())) setScreen(screen);
  move(m_rcAnchor.left(), m_rcAnchor.top() + m_rcAnchor.height() - 5);
  const QString png = QStringLiteral("PNG");
  m_btnWidth1->LoadNormalImage(156, png);
  m_btnWidth2->LoadNormalImage(168, png);
  m_btnWidth3->LoadNormalImage(170, png);
  return true;
}

void CPenWidthDlg::OnWidth1() {
  m_nWidth = 1;
  done(0);
}

void CPenWidthDlg::OnWidth2() {
  m_nWidth = 2;
  done(0);
}

void CPenWidthDlg::OnWidth3() {
  m_nWidth = 3;
  done(0);
}

void CPenWidthDlg::paintEvent(QPaintEvent*) {
  if (QApplication::activeWindow() == nullptr && QApplication::activePopupWidget() == nullptr) return;
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
}
