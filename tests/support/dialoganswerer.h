#pragma once
// Answers the message boxes a widget test's code opens: each box that becomes
// the active modal window is recorded and closed with the next planned answer.

#include <QMessageBox>
#include <QObject>
#include <QStringList>
#include <QTimer>

#include <deque>
#include <functional>

namespace scrivel::test {

class DialogAnswerer : public QObject {
  Q_OBJECT

 public:
  DialogAnswerer();
  // The button to press on the next box; boxes with no planned answer get
  // their default (escape) button.
  void Plan(QMessageBox::StandardButton answer) { m_answers.push_back(answer); }
  // Called with each box when it is seen, before it is answered: what the
  // test wants to know about the moment the box is on screen.
  void OnEachBox(std::function<void(QMessageBox*)> look) { m_look = std::move(look); }
  // The texts of the boxes seen so far, in order.
  const QStringList& texts() const { return m_texts; }
  const QStringList& titles() const { return m_titles; }

 private:
  void Poll();

  QTimer m_timer;
  std::deque<QMessageBox::StandardButton> m_answers;
  std::function<void(QMessageBox*)> m_look;
  QStringList m_texts, m_titles;
};

}  // namespace scrivel::test
