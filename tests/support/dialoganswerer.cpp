#include "tests/support/dialoganswerer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QPushButton>

namespace scrivel::test {

DialogAnswerer::DialogAnswerer() {
  connect(&m_timer, &QTimer::timeout, this, &DialogAnswerer::Poll);
  m_timer.start(20);
}

void DialogAnswerer::Poll() {
  for (QWidget* widget : QApplication::topLevelWidgets()) {
    auto* box = qobject_cast<QMessageBox*>(widget);
    if (box == nullptr || !box->isVisible() || box->property("answered").toBool()) continue;
    box->setProperty("answered", true);
    m_texts << box->text();
    m_titles << box->windowTitle();
    if (m_look) m_look(box);
    QAbstractButton* button = nullptr;
    if (!m_answers.empty()) {
      button = box->button(m_answers.front());
      m_answers.pop_front();
    }
    if (button == nullptr) button = box->escapeButton();
    if (button == nullptr) button = box->defaultButton();
    if (button != nullptr) QMetaObject::invokeMethod(button, &QAbstractButton::click, Qt::QueuedConnection);
    else box->reject();
  }
}

}  // namespace scrivel::test
