// A process that records, for the tests that kill a recording: the stand-in
// note window records without sound until the process is killed. Prints
// "recording <path of the MP4>" once the recording runs.
#include <QApplication>
#include <QMessageBox>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "recording/recordingstate.h"
#include "tests/recording/notestandin.h"
#include "tests/support/dialoganswerer.h"

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  setenv("PULSE_SERVER", "unix:/nonexistent/scrivel-no-sound-server", 1);
  QApplication app(argc, argv);
  scrivel::test::NoteStandIn window;
  window.show();
  scrivel::test::DialogAnswerer answerer;
  answerer.Plan(QMessageBox::Yes);  // no microphone: record without sound
  QTimer::singleShot(0, [&window] {
    window.recorder().OnRecordButton();
    std::printf("recording %s\n", qPrintable(scrivel::g_recording.strVideoPath));
    std::fflush(stdout);
  });
  return app.exec();
}
