// pages_bench: rendering and saving downloaded pages of dense handwriting.
// Downloads a full emulated pen memory through the library, then renders and
// saves 200 pages (the downloaded ones, cycled) the way a download does.
// Prints pages per second and the share of a download's wall time that
// rendering and saving take.

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QCoreApplication>

#include "bench/support/benchpen.h"
#include "nibdl/nibdl.h"
#include "pages/pagerender.h"
#include "pages/pendownload.h"

namespace {
using Clock = std::chrono::steady_clock;
double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  constexpr int kPages = 200;
  const std::string dir = (std::filesystem::temp_directory_path() / "scrivel-pages-bench").string();
  std::filesystem::remove_all(dir);
  std::filesystem::create_directories(dir + "/out");
  BenchPen pen(dir + "/pen.sock", {"--notes", "100000", "--seed", "7"});
  if (!pen.Packets() || !WriteConfig(dir + "/config", dir + "/pen.sock")) {
    std::fprintf(stderr, "pages_bench: the pen emulator did not start\n");
    return 1;
  }
  std::printf("pen: %s", pen.ready().c_str());

  // The download itself: open, read every note, fetch every page.
  PenDownload session;
  const auto downloadStart = Clock::now();
  if (static_cast<int32_t>(session.Open()) < 0) return 1;
  PenDownload::Callbacks callbacks;
  PenDownload::Result result = session.Download(callbacks);
  if (result.outcome != PenDownload::Outcome::Saved) return 1;
  std::vector<std::vector<StructPointF>> pages;
  size_t points = 0;
  for (int page = 1; page <= result.pageCount; ++page) {
    DUVOPAGE* records = nullptr;
    int count = 0;
    DUVOGetPage(page, &records, &count);
    pages.push_back(PageStrokes(records, count));
    points += static_cast<size_t>(count);
    DUVOFreePage(records);
  }
  const double download = Seconds(Clock::now() - downloadStart);
  session.Close();

  // Rendering and saving, 200 pages.
  const auto renderStart = Clock::now();
  double renderOnly = 0;
  for (int i = 0; i < kPages; ++i) {
    const auto t0 = Clock::now();
    const QImage picture = RenderPage(pages[static_cast<size_t>(i) % pages.size()]);
    renderOnly += Seconds(Clock::now() - t0);
    if (!SavePageJpg(QString::fromStdString(dir + "/out"), i + 1, picture)) return 1;
  }
  const double renderSave = Seconds(Clock::now() - renderStart);
  const double perPage = renderSave / kPages;
  const double flowRender = perPage * static_cast<double>(pages.size());

  std::printf("downloaded %zu pages (%zu points, %.0f points/page) in %.3f s\n", pages.size(), points,
              static_cast<double>(points) / static_cast<double>(pages.size()), download);
  std::printf("rendered and saved %d pages in %.3f s: %.1f pages/s (rendering alone %.1f pages/s)\n",
              kPages, renderSave, kPages / renderSave, kPages / renderOnly);
  std::printf("share of a download's wall time spent rendering and saving: %.1f%%\n",
              100.0 * flowRender / (download + flowRender));
  std::filesystem::remove_all(dir);
  return 0;
}
