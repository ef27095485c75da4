#include "tests/recording/notestandin.h"

#include <QCloseEvent>
#include <QPainter>
#include <QTest>

namespace scrivel::test {

NoteStandIn::NoteStandIn() {
  setFixedSize(kWidth, kHeight);
  // The controls sit in the blue band at the bottom left, as the note
  // window's recording controls do.
  m_record = new QPushButton(QStringLiteral("rec"), this);
  m_record->setGeometry(0, kHeight - 44, 43, 43);
  m_clock = new QLineEdit(this);
  m_clock->setReadOnly(true);
  m_clock->setGeometry(44, kHeight - 44, 75, 43);
  m_pause = new QPushButton(QStringLiteral("pause"), this);
  m_pause->setGeometry(120, kHeight - 44, 45, 43);

  m_recorder = std::make_unique<CNoteRecorder>(this, [this] { return GrabClientArea(); });
  CNoteRecorder* recorder = m_recorder.get();
  m_record->setProperty("image", recorder->recordImage());
  m_pause->setProperty("image", recorder->pauseImage());
  m_pause->setVisible(recorder->pauseShown());
  m_clock->setVisible(recorder->clockShown());
  connect(m_record, &QPushButton::clicked, recorder, &CNoteRecorder::OnRecordButton);
  connect(m_pause, &QPushButton::clicked, recorder, &CNoteRecorder::OnPauseButton);
  connect(recorder, &CNoteRecorder::recordImageChanged, this,
          [this](unsigned id) { m_record->setProperty("image", id); });
  connect(recorder, &CNoteRecorder::pauseImageChanged, this,
          [this](unsigned id) { m_pause->setProperty("image", id); });
  connect(recorder, &CNoteRecorder::pauseShownChanged, m_pause, &QWidget::setVisible);
  connect(recorder, &CNoteRecorder::clockShownChanged, m_clock, &QWidget::setVisible);
  connect(recorder, &CNoteRecorder::clockTextChanged, m_clock, &QLineEdit::setText);
}

NoteStandIn::~NoteStandIn() = default;

void NoteStandIn::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.fillRect(rect(), Qt::white);
  painter.fillRect(0, 0, kWidth, kBand, QColor(255, 0, 0));
  painter.fillRect(0, kHeight - kBand, kWidth, kBand, QColor(0, 0, 255));
}

void NoteStandIn::closeEvent(QCloseEvent* event) {
  if (m_recorder->OnNoteClosing()) event->accept();
  else event->ignore();
}

void Click(QPushButton* button) { QTest::mouseClick(button, Qt::LeftButton); }

}  // namespace scrivel::test
