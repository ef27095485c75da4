// A live note in a process of its own, for the tests of what outlives it:
// opens the live note window on the pen that the environment configures and,
// once the first page holds `strokes` strokes, either prints "written" and
// waits to be killed (mode "write"), or saves the canvas to `canvas` and
// closes the window as its close button does (mode "close").
//   livenote_child write|close STROKES CANVAS.png
#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "note/notepages.h"
#include "scrivel/notekeeping.h"
#include "scrivel/newnotedlg.h"

int main(int argc, char** argv) {
  if (argc != 4) return 2;
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const bool close = std::strcmp(argv[1], "close") == 0;
  const size_t strokes = size_t(std::atoi(argv[2]));
  const QString canvas = QString::fromLocal8Bit(argv[3]);
  CNewNoteDlg dlg;
  dlg.show();
  bool told = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    if (g_pages.empty() || g_pages[0].strokes.size() < strokes || told) return;
    told = true;
    if (!close) {
      std::printf("written\n");
      std::fflush(stdout);
      return;
    }
    dlg.Model().canvas().image().save(canvas);
    dlg.OnCloseNote();
    app.quit();
  });
  poll.start(10);
  const int code = app.exec();
  scrivel::WaitForKeptNotes();
  return code;
}
