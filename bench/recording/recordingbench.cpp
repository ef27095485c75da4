// Times the capture tick of a recording on a window shaped like the live note
// window at its default size (287 x 414 dialog units = 502 x 776 pixels):
// a canvas with a page of handwriting, two rows of image buttons and the two
// edits, grabbed with QWidget::grab as the note window grabs itself.
//   recording_bench [ticks]      (default 300)
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "media/recordingwriter.h"
#include "recording/fitscaler.h"
#include "recording/screencapture.h"
#include "recording/screentobgr.h"
#include "recording/windowpicture.h"

namespace {

constexpr int kWidth = 502;
constexpr int kHeight = 776;

// The canvas shows its page from a backing image, as the note's canvas does.
class Canvas : public QWidget {
 public:
  explicit Canvas(QWidget* parent) : QWidget(parent), m_page(500, 684, QImage::Format_RGB32) {
    m_page.fill(Qt::white);
    QPainter painter(&m_page);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 2));
    std::mt19937 random(7);
    std::uniform_real_distribution<double> step(-6, 6);
    for (int line = 0; line < 18; ++line) {
      QPainterPath path;
      QPointF point(20, 30 + line * 37);
      path.moveTo(point);
      for (int i = 0; i < 120; ++i) {
        point += QPointF(3.5, step(random));
        path.lineTo(point);
      }
      painter.drawPath(path);
    }
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).drawImage(0, 0, m_page); }

 private:
  QImage m_page;
};

// An image button paints one prepared picture, as the skinned buttons do.
class ImageButton : public QWidget {
 public:
  ImageButton(QWidget* parent, int index) : QWidget(parent), m_look(43, 43) {
    m_look.fill(QColor(230, 230, 230));
    QPainter painter(&m_look);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setBrush(QColor(40 + 12 * index, 90, 160));
    painter.drawEllipse(6, 6, 31, 31);
  }

 protected:
  void paintEvent(QPaintEvent*) override { QPainter(this).drawPixmap(0, 0, m_look); }

 private:
  QPixmap m_look;
};

class NoteLikeWindow : public QWidget {
 public:
  NoteLikeWindow() {
    setFixedSize(kWidth, kHeight);
    for (int i = 0; i < 11; ++i) (new ImageButton(this, i))->setGeometry(i * 45, 0, 43, 43);
    (new Canvas(this))->setGeometry(0, 47, 500, 684);
    for (int i = 0; i < 6; ++i) (new ImageButton(this, i))->setGeometry(i * 80, 733, 43, 43);
    (new QLineEdit(QStringLiteral("00:01:30"), this))->setGeometry(44, 735, 75, 43);
    (new QLineEdit(QStringLiteral("1/1"), this))->setGeometry(260, 731, 82, 43);
  }
};

struct Figures {
  double median = 0, p99 = 0;
};

Figures Summarise(std::vector<double> ms) {
  std::sort(ms.begin(), ms.end());
  const auto at = [&](double q) { return ms[std::min(ms.size() - 1, static_cast<size_t>(q * double(ms.size())))]; };
  return {at(0.5), at(0.99)};
}

void Print(const char* what, const std::vector<double>& ms) {
  const Figures f = Summarise(ms);
  std::printf("  %-44s median %6.2f ms   p99 %6.2f ms\n", what, f.median, f.p99);
}

double Ms(const QElapsedTimer& timer) { return double(timer.nsecsElapsed()) / 1e6; }

}  // namespace

int main(int argc, char** argv) {
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  QApplication app(argc, argv);
  const int ticks = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
  NoteLikeWindow window;
  window.show();
  QApplication::processEvents();
  const std::string path =
      (std::filesystem::temp_directory_path() / ("recording-bench-" + std::to_string(getpid()) + ".yuv")).string();

  // 1. The whole tick, stage by stage, on one thread.
  std::vector<double> grab, convert, scale, write, whole, fresh;
  {
    std::FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return 1;
    scrivel::CFitScaler scaler;
    std::vector<uint8_t> bgr, yuv(scrivel::CFitScaler::kPictureBytes);
    for (int i = 0; i < ticks; ++i) {
      QElapsedTimer all, part;
      all.start();
      part.start();
      const QImage picture = scrivel::WindowPicture(window);
      grab.push_back(Ms(part));
      part.restart();
      bgr.resize(size_t(picture.width()) * picture.height() * 3);
      scrivel::screen_to_bgr(picture, 0, 0, picture.width(), picture.height(), bgr.data());
      convert.push_back(Ms(part));
      part.restart();
      scaler.Scale(bgr.data(), picture.width(), picture.height(), yuv.data());
      scale.push_back(Ms(part));
      part.restart();
      std::fwrite(yuv.data(), 1, yuv.size(), file);
      write.push_back(Ms(part));
      whole.push_back(Ms(all));
      // The scaler set up afresh for every picture, as a scaler without a cache would be.
      part.restart();
      scrivel::CFitScaler once;
      once.Scale(bgr.data(), picture.width(), picture.height(), yuv.data());
      fresh.push_back(Ms(part));
    }
    std::fclose(file);
  }

  // 2. The tick as the recorder runs it: grab on the UI thread, conversion on
  // the capture thread, encoding and multiplexing on the recording writer's.
  // Ticks come every 100 ms as in a recording.
  std::vector<double> uiPart;
  double drain = 0;
  const std::string video = path + ".mp4";
  {
    // The encoder's lines go elsewhere; the figures come at the end.
    std::fflush(stdout);
    const int savedStdout = dup(1);
    const int devNull = open("/dev/null", O_WRONLY);
    dup2(devNull, 1);
    close(devNull);
    scrivel::CScreenCapture capture([&window] { return scrivel::WindowPicture(window); });
    scrivel::CRecordingWriter writer;
    if (writer.Open({video, scrivel::kPictureWidth, scrivel::kPictureHeight, false}) != scrivel::MediaResult::Ok)
      return 1;
    capture.Open(&writer);
    for (int i = 0; i < ticks; ++i) {
      QElapsedTimer timer;
      timer.start();
      capture.ScreenToYUV(i / scrivel::kFramesPerSecond);
      uiPart.push_back(Ms(timer));
      QElapsedTimer pause;
      pause.start();
      while (pause.elapsed() < 100) QApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    QElapsedTimer timer;
    timer.start();
    capture.Close();
    writer.Finish(int64_t{ticks} * scrivel::kTickMs);
    drain = Ms(timer);
    std::fflush(stdout);
    dup2(savedStdout, 1);
    close(savedStdout);
  }
  const auto bytes = std::filesystem::file_size(video);
  std::filesystem::remove(video);
  std::filesystem::remove(path);

  std::printf("capture tick, window %d x %d, %d ticks\n", kWidth, kHeight, ticks);
  Print("grab (render the window)", grab);
  Print("BGR24 conversion (screen_to_bgr)", convert);
  Print("sinc scaling to 352 x 288 YUV 4:2:0", scale);
  Print("write 152064 bytes", write);
  Print("whole tick on one thread", whole);
  Print("scaling with a scaler set up afresh", fresh);
  Print("UI thread per tick (grab + hand-over)", uiPart);
  std::printf("  encoder finished %.2f ms after the last tick; MP4 %llu bytes for %d pictures (%.0f bytes/s)\n",
              drain, static_cast<unsigned long long>(bytes), ticks,
              double(bytes) * scrivel::kFramesPerSecond / ticks);
  return 0;
}
