#pragma once
// A stand-in for the live note window in recording tests: a window of the
// note window's default size (502 x 776) showing a known picture - a white
// canvas with a red band along the top and a blue band along the bottom -
// with a record button, a pause button and the clock edit wired to a
// CNoteRecorder the way the note window wires them: clicks are forwarded,
// the looks the recorder asks for are applied.

#include <QLineEdit>
#include <QPushButton>
#include <QWidget>

#include <memory>

#include "recording/noterecorder.h"

namespace scrivel::test {

class NoteStandIn : public QWidget {
 public:
  static constexpr int kWidth = 502;
  static constexpr int kHeight = 776;
  static constexpr int kBand = 60;  // height of the red and the blue band

  NoteStandIn();
  ~NoteStandIn() override;

  CNoteRecorder& recorder() { return *m_recorder; }
  QPushButton* recordButton() const { return m_record; }
  QPushButton* pauseButton() const { return m_pause; }
  QLineEdit* clock() const { return m_clock; }
  // The image ids the buttons show now.
  unsigned recordImage() const { return m_record->property("image").toUInt(); }
  unsigned pauseImage() const { return m_pause->property("image").toUInt(); }

  QImage GrabClientArea() { return grab().toImage(); }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  QPushButton* m_record;
  QPushButton* m_pause;
  QLineEdit* m_clock;
  std::unique_ptr<CNoteRecorder> m_recorder;
};

// Clicks a button with a real mouse press and release.
void Click(QPushButton* button);

}  // namespace scrivel::test
