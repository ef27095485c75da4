#include "scrivelupdata/updatainfo.h"

#include <QLabel>

namespace {
// Dialog units to pixels for a 9-point dialog font at 96 DPI.
constexpr int X(int dlu) { return dlu * 7 / 4; }
constexpr int Y(int dlu) { return dlu * 15 / 8; }
}  // namespace

CUpDataInfo::CUpDataInfo(const QString& text, QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("Scrivel"));
  setModal(false);
  setFixedSize(X(225), Y(38) + 16);
  m_text = new QLabel(text, this);
  m_text->setGeometry(X(64), Y(14), X(142), Y(21));
  m_text->setWordWrap(true);
  m_progress = new QLabel(this);
  m_progress->setGeometry(X(64), Y(14) + Y(21), X(142), 16);
}

void CUpDataInfo::ShowProgress(size_t done, size_t total) {
  m_progress->setText(tr("File %1 of %2").arg(done).arg(total));
}
