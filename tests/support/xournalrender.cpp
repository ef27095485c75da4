#include "tests/support/xournalrender.h"

#include <QDir>
#include <QFileInfo>

#include <algorithm>

#include "tests/support/process.h"

namespace scrivel::test {

std::vector<QImage> RenderWithXournal(const QString& xopp, const QString& workDir, int dpi) {
  QDir().mkpath(workDir + QStringLiteral("/config"));
  const QString out = workDir + QStringLiteral("/page.png");
  const RunResult run = Run("/usr/bin/xvfb-run",
                            {"-a", "xournalpp", "--export-png-dpi=" + std::to_string(dpi),
                             "-i", out.toStdString(), xopp.toStdString()},
                            {"XDG_CONFIG_HOME=" + (workDir + QStringLiteral("/config")).toStdString(),
                             "HOME=" + workDir.toStdString(), "NO_AT_BRIDGE=1"},
                            std::chrono::seconds(90));
  std::vector<QImage> pages;
  if (run.exitCode != 0) return pages;
  // One page gives page.png; more give page-1.png, page-2.png, ...
  if (QFileInfo::exists(out)) {
    pages.emplace_back(out);
    return pages;
  }
  for (int n = 1;; ++n) {
    const QString name = workDir + QStringLiteral("/page-%1.png").arg(n);
    if (!QFileInfo::exists(name)) break;
    pages.emplace_back(name);
  }
  return pages;
}

QImage InkMask(const QImage& image, int threshold) {
  QImage mask(image.size(), QImage::Format_Grayscale8);
  const QImage rgb = image.convertToFormat(QImage::Format_ARGB32);
  for (int y = 0; y < rgb.height(); ++y) {
    const QRgb* in = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
    uchar* m = mask.scanLine(y);
    for (int x = 0; x < rgb.width(); ++x) {
      // Transparent pixels are paper.
      const int grey = qAlpha(in[x]) < 128 ? 255 : qGray(in[x]);
      m[x] = grey < threshold ? 255 : 0;
    }
  }
  return mask;
}

int InkCount(const QImage& mask) {
  int n = 0;
  for (int y = 0; y < mask.height(); ++y) {
    const uchar* m = mask.constScanLine(y);
    n += int(std::count_if(m, m + mask.width(), [](uchar v) { return v != 0; }));
  }
  return n;
}

namespace {

// Ink of `a` with no ink of `b` within `tolerance` pixels.
int InkAwayFrom(const QImage& a, const QImage& b, int tolerance) {
  int away = 0;
  for (int y = 0; y < a.height(); ++y)
    for (int x = 0; x < a.width(); ++x) {
      if (a.constScanLine(y)[x] == 0) continue;
      bool near = false;
      for (int dy = -tolerance; dy <= tolerance && !near; ++dy) {
        const int yy = y + dy;
        if (yy < 0 || yy >= b.height()) continue;
        for (int dx = -tolerance; dx <= tolerance && !near; ++dx) {
          const int xx = x + dx;
          near = xx >= 0 && xx < b.width() && b.constScanLine(yy)[xx] != 0;
        }
      }
      away += !near;
    }
  return away;
}

}  // namespace

double InkMismatch(const QImage& a, const QImage& b, int tolerance) {
  const int total = InkCount(a) + InkCount(b);
  if (total == 0) return 0.0;
  return double(InkAwayFrom(a, b, tolerance) + InkAwayFrom(b, a, tolerance)) / total;
}

}  // namespace scrivel::test
