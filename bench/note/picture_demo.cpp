// picture_demo: the live note's pictures and eraser on a real display, for
// screenshots. Opens the live note, adds a photo through the add-picture
// button (the file dialog answered with a photo this program paints), drags
// its right and bottom edges and then the photo into the lower right corner
// with the mouse, starts "penemu live" writing beside it and reconnects the
// pen, erases the first word with the eraser, then undoes and redoes the
// erase. Saves what the window shows after each step as PNG in OUTDIR and
// says whether undo and redo gave back exactly the canvas before and after.
//   picture_demo OUTDIR PENEMU
#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLinearGradient>
#include <QPainter>
#include <QProcess>
#include <QTest>

#include <cstdio>
#include <cstdlib>

#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "lang/userlanguage.h"
#include "note/notepages.h"
#include "scrivel/newnotedlg.h"
#include "scrivel/notecanvas.h"

namespace {

// A landscape: sky, sun, two hills and a lake.
QImage PaintPhoto() {
  QImage photo(640, 480, QImage::Format_RGB32);
  QPainter p(&photo);
  p.setRenderHint(QPainter::Antialiasing);
  QLinearGradient sky(0, 0, 0, 300);
  sky.setColorAt(0, QColor(60, 120, 210));
  sky.setColorAt(1, QColor(190, 220, 245));
  p.fillRect(photo.rect(), sky);
  p.setBrush(QColor(255, 210, 60));
  p.setPen(Qt::NoPen);
  p.drawEllipse(QPointF(480, 110), 55, 55);
  p.setBrush(QColor(70, 140, 70));
  p.drawEllipse(QPointF(170, 420), 330, 170);
  p.setBrush(QColor(40, 105, 55));
  p.drawEllipse(QPointF(520, 440), 300, 150);
  p.setBrush(QColor(70, 130, 200));
  p.drawRect(0, 400, 640, 80);
  return photo;
}

void Wait(int ms) { QTest::qWait(ms); }

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: picture_demo OUTDIR PENEMU\n");
    return 2;
  }
  QApplication app(argc, argv);
  const QString out = QString::fromLocal8Bit(argv[1]);
  const QString penemu = QString::fromLocal8Bit(argv[2]);
  QDir().mkpath(out);
  scrivel::LoadUserLanguage(g_strings, QCoreApplication::applicationDirPath() + QStringLiteral("/../app"), 10001,
                            scrivel::text::kLastAppText);

  // A private pen configuration pointing at a live pen that starts later.
  const QString work = QDir::tempPath() + QStringLiteral("/picture_demo");
  QDir(work).removeRecursively();
  QDir().mkpath(work + QStringLiteral("/config/Tavolo Technologies"));
  const QString socket = work + QStringLiteral("/live.sock");
  {
    QFile conf(work + QStringLiteral("/config/Tavolo Technologies/VeloRoute.conf"));
    if (!conf.open(QIODevice::WriteOnly)) return 1;
    conf.write(("[General]\nRouteSource=unix:" + socket + "\n").toUtf8());
  }
  qputenv("XDG_CONFIG_HOME", (work + QStringLiteral("/config")).toLocal8Bit());
  const QString photo = work + QStringLiteral("/photo.jpg");
  if (!PaintPhoto().save(photo, "JPG")) return 1;

  CNewNoteDlg note;
  note.m_chooseImagePath = [photo] { return std::optional<QString>(photo); };
  note.show();
  Wait(800);
  CNoteCanvas* canvas = note.Canvas();
  const auto button = [&](int id) { return note.findChild<QAbstractButton*>(QString::number(id)); };
  const auto click = [&](int id) {
    QTest::mouseClick(button(id), Qt::LeftButton, {}, QPoint(10, 10));
    Wait(150);
  };
  const auto drag = [&](QPoint from, QPoint to) {
    from = canvas->FromCanvas(from);
    to = canvas->FromCanvas(to);
    QTest::mousePress(canvas, Qt::LeftButton, {}, from);
    for (int i = 1; i <= 20; ++i) {
      QTest::mouseMove(canvas, from + (to - from) * i / 20);
      Wait(15);
    }
    QTest::mouseRelease(canvas, Qt::LeftButton, {}, to);
    Wait(150);
  };
  const auto save = [&](const char* name) {
    const QString path = out + QLatin1Char('/') + QLatin1String(name);
    const bool ok = note.GrabClientArea().save(path);
    std::printf("picture_demo: %s %s\n", ok ? "saved" : "could not save", qPrintable(path));
    std::fflush(stdout);
  };

  // The photo over the whole canvas; then smaller by its right and bottom
  // edges, and moved into the lower right corner, pushed against the border.
  click(1011);
  save("live-note-picture-added.png");
  drag({497, 300}, {297, 300});
  drag({150, 679}, {150, 429});
  drag({150, 200}, {450, 500});
  std::printf("picture_demo: the photo's area %d,%d %dx%d\n", g_pages[0].pictures[0].areas.back().x(),
              g_pages[0].pictures[0].areas.back().y(), g_pages[0].pictures[0].areas.back().width(),
              g_pages[0].pictures[0].areas.back().height());

  // The pen writes beside it.
  QProcess pen;
  pen.start(penemu, {QStringLiteral("live"), QStringLiteral("--socket"), socket, QStringLiteral("--text"),
                     QStringLiteral("Hello pen\nphoto of\nthe lake"), QStringLiteral("--rate"),
                     QStringLiteral("600")});
  if (!pen.waitForStarted()) return 1;
  QElapsedTimer clock;
  clock.start();
  while (!QFile::exists(socket) && clock.elapsed() < 10000) Wait(20);
  click(1000);  // reconnect: the pen is there now
  size_t strokes = 0;
  qint64 quietSince = clock.elapsed();
  while (clock.elapsed() < 60000) {
    Wait(100);
    if (g_pages[0].strokes.size() != strokes) {
      strokes = g_pages[0].strokes.size();
      quietSince = clock.elapsed();
    } else if (strokes > 0 && clock.elapsed() - quietSince > 2000) {
      break;
    }
  }
  std::printf("picture_demo: the pen wrote %zu strokes\n", strokes);
  save("live-note-picture.png");

  // Erase the first word ("Hello": its seven strokes) with the eraser.
  QRect word;
  for (size_t k = 0; k < std::min<size_t>(strokes, 7); ++k)
    for (const QPointF& p : g_pages[0].strokes[k].points) word |= QRect(p.toPoint(), QSize(1, 1));
  std::printf("picture_demo: erasing %d,%d %dx%d\n", word.x(), word.y(), word.width(), word.height());
  const QImage before = note.Model().canvas().image().copy();
  click(1007);
  const QPoint from = canvas->FromCanvas(QPoint(word.left() + 10, word.top() - 6));
  QTest::mousePress(canvas, Qt::LeftButton, {}, from);
  for (int y = word.top() - 6; y <= word.bottom() + 4; y += 8)
    for (int x = word.left(); x <= word.right() + 12; x += 4) {
      QTest::mouseMove(canvas, canvas->FromCanvas(QPoint(x, y)));
      Wait(1);
    }
  QTest::mouseRelease(canvas, Qt::LeftButton, {}, canvas->FromCanvas(QPoint(word.right(), word.bottom())));
  click(1007);
  Wait(200);
  const QImage erased = note.Model().canvas().image().copy();
  save("live-note-erase.png");
  click(1009);
  const bool undoExact = note.Model().canvas().image() == before;
  save("live-note-undo.png");
  click(1010);
  const bool redoExact = note.Model().canvas().image() == erased;
  // A repaint draws the page from its content: the word stays erased.
  note.PaintPage();
  Wait(200);
  save("live-note-redo-repainted.png");
  std::printf("picture_demo: undo gives back the canvas before the erase: %s; redo the erased one: %s\n",
              undoExact ? "yes" : "no", redoExact ? "yes" : "no");
  pen.kill();
  pen.waitForFinished();
  note.OnCloseNote();
  ZMTUninit();
  return undoExact && redoExact ? 0 : 1;
}
