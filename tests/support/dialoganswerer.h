#pragma once
// Answers the message boxes a widget test's code opens: each box that becomes
// the active modal window is recorded and closed with the next planned answer.

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>

namespace scrivel::test {

class DialogAnswerer : public QObject {
  Q_OBJECT

 public:
  DialogAnswerer();
  // The button to press on the next box; boxes with no planned answer get
  // their default (escape) button.
  void Plan(QMessageBox::StandardButton answer) { m_answers.push_back(answer); }
  // The texts of the boxes seen so far, in order.
  const QStringList& texts() const { return m_texts; }
  const QStringList& titles() const { return m_titles; }

 private:
  void Poll();

  QTimer m_timer;
  std::deque<QMessageBox::StandardButton> m_answers;
  QStringList m_texts, m_titles;
};

}  // namespace scrivel::test
