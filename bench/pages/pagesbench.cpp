// pages_bench: rendering and saving downloaded pages of dense handwriting.
// Downloads a full emulated pen memory through the library, then renders and
// saves 200 pages (the downloaded ones, cycled) the way a download does.
// Prints pages per second and the share of a download's wall time that
// rendering and saving take; then the page documents (PDF and .xopp) of 200
// pages as downloaded and of 200 dense pages (about 6,000 points each): the
// time to write both and the PDF's bytes per page.

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <ctime>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include <QCoreApplication>

#include "bench/support/benchpen.h"
#include "nibdl/nibdl.h"
#include "pages/pagedocuments.h"
#include "pages/pagerender.h"
#include "pages/pagespdf.h"
#include "pages/pagesxopp.h"
#include "xopp/xoppwriter.h"
#include "pages/pendownload.h"

namespace {
using Clock = std::chrono::steady_clock;
double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

constexpr size_t kDensePoints = 6000;

size_t PointCount(const std::vector<StructPointF>& strokes) {
  size_t n = 0;
  for (const auto& stroke : strokes) n += stroke.points.size();
  return n;
}

// `count` pages: the downloaded ones, cycled.
std::vector<DownloadedPage> Cycled(const std::vector<std::vector<StructPointF>>& penPages, int count) {
  std::vector<DownloadedPage> pages(static_cast<size_t>(count));
  for (int i = 0; i < count; ++i) {
    pages[static_cast<size_t>(i)].number = i + 1;
    pages[static_cast<size_t>(i)].timeStamp = QStringLiteral("(2026/12/09 02:00:00)");
    pages[static_cast<size_t>(i)].strokes = penPages[static_cast<size_t>(i) % penPages.size()];
  }
  return pages;
}

// `count` dense pages: the strokes of consecutive downloaded pages written
// over each other until a page holds `points` points.
std::vector<DownloadedPage> Dense(const std::vector<std::vector<StructPointF>>& penPages, size_t points,
                                  int count) {
  std::vector<DownloadedPage> pages = Cycled(penPages, count);
  size_t next = 0;
  for (auto& page : pages) {
    page.strokes.clear();
    while (PointCount(page.strokes) < points) {
      const auto& more = penPages[next++ % penPages.size()];
      page.strokes.insert(page.strokes.end(), more.begin(), more.end());
    }
  }
  return pages;
}

// Writes the documents of `pages` into `folder` and prints the figures.
bool DocumentFigures(const char* kind, const std::vector<DownloadedPage>& pages, const std::string& folder) {
  std::filesystem::create_directories(folder);
  const QString where = QString::fromStdString(folder);
  size_t points = 0;
  for (const auto& page : pages) points += PointCount(page.strokes);
  // The two documents built in memory, each on its own, then both written.
  QString error;
  std::clock_t cpu = std::clock();
  const auto pdf = PagesPdf(QStringLiteral("bench"), pages, &error);
  const double pdfSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
  cpu = std::clock();
  const XoppDocument doc = PagesXopp(QStringLiteral("bench"), pages);
  const double flattenSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
  const QByteArray xopp = XoppBytes(doc);
  const double xoppSeconds = double(std::clock() - cpu) / CLOCKS_PER_SEC;
  if (!pdf || xopp.isEmpty()) return false;
  size_t xoppPoints = 0;
  for (const auto& page : doc.pages)
    for (const auto& element : page.elements) xoppPoints += std::get<XoppStroke>(element).points.size();
  const auto start = Clock::now();
  const std::clock_t cpuStart = std::clock();
  const QStringList failures = SavePageDocuments(where, pages);
  const double seconds = Seconds(Clock::now() - start);
  const double cpuSeconds = double(std::clock() - cpuStart) / CLOCKS_PER_SEC;
  if (!failures.isEmpty()) {
    std::fprintf(stderr, "pages_bench: %s\n", qPrintable(failures.join("; ")));
    return false;
  }
  const auto pdfBytes = std::filesystem::file_size(PageDocumentPath(where, "pdf").toStdString());
  const auto xoppBytes = std::filesystem::file_size(PageDocumentPath(where, "xopp").toStdString());
  const double n = static_cast<double>(pages.size());
  std::printf("documents of %zu pages %s (%.0f points/page): PDF and .xopp written in %.3f s"
              " (%.3f s of processor time, both threads)\n",
              pages.size(), kind, static_cast<double>(points) / n, seconds, cpuSeconds);
  std::printf("  processor time in memory: PDF %.3f s, .xopp %.3f s (of which flattening %.3f s;"
              " %.0f points/page after flattening)\n",
              pdfSeconds, xoppSeconds, flattenSeconds, static_cast<double>(xoppPoints) / n);
  std::printf("  PDF %.1f KB/page (%.2f bytes/point), .xopp %.1f KB/page\n",
              static_cast<double>(pdfBytes) / n / 1024, static_cast<double>(pdfBytes) / static_cast<double>(points),
              static_cast<double>(xoppBytes) / n / 1024);
  return true;
}
}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  // pages_bench [PAGES]: how many pages to render and write (default 200).
  const int kPages = argc > 1 ? std::max(1, std::atoi(argv[1])) : 200;
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
  std::vector<std::vector<StructPointF>> penPages;
  size_t points = 0;
  for (int page = 1; page <= result.pageCount; ++page) {
    DUVOPAGE* records = nullptr;
    int count = 0;
    DUVOGetPage(page, &records, &count);
    penPages.push_back(PenStrokes(records, count));
    pages.push_back(PageStrokes(penPages.back()));
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
  if (!DocumentFigures("as downloaded", Cycled(penPages, kPages), dir + "/out")) return 1;
  if (!DocumentFigures("dense", Dense(penPages, kDensePoints, kPages), dir + "/dense")) return 1;
  std::filesystem::remove_all(dir);
  return 0;
}
