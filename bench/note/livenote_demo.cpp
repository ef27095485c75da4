// livenote_demo: the live note on a real display with a live pen behind it,
// for a screenshot. Starts the main window, presses its live note button,
// and once the pen has written everything (the route library reports the
// pen's hang-up, or `seconds` pass) saves what the live note window shows
// to PNG and closes it.
//   livenote_demo OUT.png [seconds]
// The pen's configuration (RouteSource) comes from XDG_CONFIG_HOME as usual.
#include <QAbstractButton>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "lang/userlanguage.h"
#include "note/notepages.h"
#include "scrivel/newnotedlg.h"
#include "scrivel/scriveldlg.h"

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: livenote_demo OUT.png [seconds]\n");
    return 2;
  }
  const QString out = QString::fromLocal8Bit(argv[1]);
  const int seconds = argc > 2 ? std::atoi(argv[2]) : 60;
  QApplication app(argc, argv);
  scrivel::LoadUserLanguage(g_strings, QCoreApplication::applicationDirPath() + QStringLiteral("/../app"), 10001,
                            scrivel::text::kLastAppText);
  CScrivelDlg main;
  main.show();

  QElapsedTimer clock;
  clock.start();
  size_t lastStrokes = 0;
  qint64 quietSince = 0;
  bool saved = false;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    CNewNoteDlg* note = nullptr;
    for (QWidget* w : QApplication::topLevelWidgets())
      if (auto* n = qobject_cast<CNewNoteDlg*>(w); n != nullptr && n->isVisible()) note = n;
    if (note == nullptr || saved) return;
    const size_t strokes = g_pages.empty() ? 0 : g_pages[0].strokes.size();
    if (strokes != lastStrokes) {
      lastStrokes = strokes;
      quietSince = clock.elapsed();
      std::printf("livenote_demo: %zu strokes\n", strokes);
      std::fflush(stdout);
    }
    // Done when the pen has been quiet for two seconds after writing.
    const bool quiet = strokes > 0 && clock.elapsed() - quietSince > 2000;
    if (!quiet && clock.elapsed() < seconds * 1000) return;
    saved = note->GrabClientArea().save(out);
    std::printf("livenote_demo: %s %s with %zu strokes\n", saved ? "saved" : "could not save",
                qPrintable(out), strokes);
    std::fflush(stdout);
    // Leave the window up a moment for a screen capture, then close it.
    QTimer::singleShot(3000, note, &CNewNoteDlg::OnCloseNote);
    QTimer::singleShot(3500, &main, &QDialog::accept);
  });
  poll.start(50);
  QTimer::singleShot(500, &main, [&] {
    if (auto* button = main.findChild<QAbstractButton*>(QStringLiteral("1000"))) button->click();
  });
  app.exec();
  return saved ? 0 : 1;
}
