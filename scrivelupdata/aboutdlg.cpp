#include "scrivelupdata/aboutdlg.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "resources/resourcepath.h"

CAboutDlg::CAboutDlg(QWidget* parent) : QDialog(parent) {
  setWindowTitle(QStringLiteral("ScrivelUpData"));
  auto* icon = new QLabel(this);
  icon->setPixmap(QPixmap(scrivel::ResourcePath(128, QStringLiteral("ICON"))).scaled(32, 32));
  auto* text = new QLabel(QStringLiteral("ScrivelUpData，1.0 版"), this);
  auto* ok = new QPushButton(QStringLiteral("确定"), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* row = new QHBoxLayout;
  row->addWidget(icon);
  row->addWidget(text, 1);
  row->addWidget(ok);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(row);
}
