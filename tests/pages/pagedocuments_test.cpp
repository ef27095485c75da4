// The documents of a download, judged by other programs: pdfinfo, pdfimages
// and qpdf read the PDF, pdftoppm and Xournal++ draw the PDF and the .xopp,
// and their pictures must show the ink where our page pictures show it.
#include "pages/pagedocuments.h"

#include <gtest/gtest.h>

#include <QImage>

#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <random>
#include <regex>

#include "pages/pagerender.h"
#include "pages/pagespdf.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"
#include "tests/support/xournalrender.h"

namespace scrivel::test {
namespace {

// Handwriting-like strokes in pen coordinates: `lines` lines of joined loops,
// starting `top` pen units down the page, a point every 30 pen units or so
// with a little noise, as a pen samples them.
std::vector<StructPointF> Handwriting(int lines, int wordsPerLine, int top, unsigned seed) {
  constexpr int kStepsPerLoop = 26;
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> jitter(-3, 3);
  std::vector<StructPointF> strokes;
  for (int line = 0; line < lines; ++line) {
    const double baseline = top + line * 800;
    double x = -4700;
    for (int word = 0; word < wordsPerLine; ++word) {
      StructPointF stroke;
      const int loops = 4 + static_cast<int>(random() % 4);
      for (int i = 0; i <= loops * kStepsPerLoop; ++i) {
        const double t = i * 2 * M_PI / kStepsPerLoop;
        stroke.points.emplace_back(std::round(x + 9 * i + 90 * std::cos(t) + jitter(random)),
                                   std::round(baseline - 160 - 160 * std::sin(t) + jitter(random)));
      }
      x += 9 * loops * kStepsPerLoop + 350;
      if (x > 4400) break;
      strokes.push_back(std::move(stroke));
    }
  }
  return strokes;
}

size_t Points(const std::vector<StructPointF>& strokes) {
  size_t n = 0;
  for (const auto& stroke : strokes) n += stroke.points.size();
  return n;
}

std::vector<DownloadedPage> SamplePages(int count) {
  std::vector<DownloadedPage> pages;
  for (int i = 1; i <= count; ++i) {
    DownloadedPage page;
    page.number = i;
    page.strokes = Handwriting(3 + i, 4, 1000 + 1700 * i, static_cast<unsigned>(i));
    page.timeStamp = QString::asprintf("(2016/03/%02d 09:05:30)", i);
    page.flipped = i % 2 == 0;
    page.uploaded = i == 3;
    pages.push_back(std::move(page));
  }
  return pages;
}

int CountMatches(const std::string& text, const std::string& pattern) {
  const std::regex re(pattern);
  return static_cast<int>(std::distance(std::sregex_iterator(text.begin(), text.end(), re), std::sregex_iterator()));
}

TEST(PageDocuments, NamedAfterTheirFolder) {
  struct Row {
    const char* folder;
    const char* suffix;
    const char* path;
  };
  const Row rows[] = {
      {"/home/a/2016-03-07-09-05-30", "pdf", "/home/a/2016-03-07-09-05-30/2016-03-07-09-05-30.pdf"},
      {"/home/a/notes/", "xopp", "/home/a/notes/notes.xopp"},
      {"/home/a/./b c", "pdf", "/home/a/b c/b c.pdf"},
  };
  for (const auto& row : rows) EXPECT_EQ(PageDocumentPath(row.folder, row.suffix).toStdString(), row.path);
}

TEST(PageDocuments, PdfHasA4PagesOfVectorsAndTheirCaptions) {
  for (const int count : {1, 4}) {
    SCOPED_TRACE(count);
    TempDir dir;
    const std::string folder = dir.file("2016-03-07-09-05-30");
    std::filesystem::create_directories(folder);
    const auto pages = SamplePages(count);
    ASSERT_TRUE(SavePageDocuments(QString::fromStdString(folder), pages).isEmpty());
    const std::string pdf = folder + "/2016-03-07-09-05-30.pdf";

    const RunResult info = scrivel::test::Run("/usr/bin/pdfinfo", {"-f", "1", "-l", std::to_string(count), pdf});
    ASSERT_EQ(info.exitCode, 0) << info.err;
    EXPECT_EQ(CountMatches(info.out, "Pages: +" + std::to_string(count) + "\n"), 1) << info.out;
    EXPECT_EQ(CountMatches(info.out, "Page +\\d+ size: +595 x 842 pts \\(A4\\)"), count) << info.out;
    EXPECT_EQ(CountMatches(info.out, "Title: +2016-03-07-09-05-30\n"), 1) << info.out;
    EXPECT_EQ(CountMatches(info.out, "Creator: +Scrivel\n"), 1) << info.out;

    const RunResult images = scrivel::test::Run("/usr/bin/pdfimages", {"-list", pdf});
    ASSERT_EQ(images.exitCode, 0) << images.err;
    EXPECT_EQ(CountMatches(images.out, "\n"), 2) << "only the list's heading:\n" << images.out;

    // The outline names every page with its time stamp and flags.
    const RunResult json = scrivel::test::Run("/usr/bin/qpdf", {"--json", "--json-key=outlines", pdf});
    ASSERT_EQ(json.exitCode, 0) << json.err;
    for (const auto& page : pages)
      EXPECT_NE(json.out.find("\"" + PageCaption(page).toStdString() + "\""), std::string::npos)
          << PageCaption(page).toStdString() << "\n" << json.out;
  }
}

TEST(PageDocuments, DensePageStaysSmall) {
  DownloadedPage dense;
  dense.number = 1;
  dense.strokes = Handwriting(9, 6, 800, 11);
  ASSERT_GE(Points(dense.strokes), 6000u);
  QString error;
  const auto pdf = PagesPdf("dense", {dense}, &error);
  ASSERT_TRUE(pdf) << error.toStdString();
  EXPECT_LE(pdf->size(), 40 * 1024) << "bytes for " << Points(dense.strokes) << " points";
}

// Our page pictures are 222 x 271 pixels; the documents are drawn at about
// four times that width and their ink is shrunk onto the same pixels (a pixel
// is ink when any pixel it covers is), so thin vector lines are judged fairly.
constexpr int kRenderDpi = 108;

QImage ShrunkInk(const QImage& mask, const QSize& size) {
  QImage shrunk(size, QImage::Format_Grayscale8);
  shrunk.fill(0);
  for (int y = 0; y < mask.height(); ++y) {
    const uchar* line = mask.constScanLine(y);
    for (int x = 0; x < mask.width(); ++x)
      if (line[x] != 0) shrunk.scanLine(y * size.height() / mask.height())[x * size.width() / mask.width()] = 255;
  }
  return shrunk;
}

std::vector<QImage> RenderedPdf(const std::string& pdf, int pages, const std::string& dir) {
  std::vector<QImage> rendered;
  for (int page = 1; page <= pages; ++page) {
    const std::string out = dir + "/pdf-page" + std::to_string(page);
    const RunResult result = scrivel::test::Run("/usr/bin/pdftoppm",
        {"-png", "-singlefile", "-r", std::to_string(kRenderDpi), "-f", std::to_string(page), "-l",
         std::to_string(page), pdf, out});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    rendered.emplace_back(QString::fromStdString(out + ".png"));
  }
  return rendered;
}

TEST(PageDocuments, OtherProgramsDrawTheInkWhereThePagePicturesHaveIt) {
  TempDir dir;
  const std::string folder = dir.file("pages");
  std::filesystem::create_directories(folder);
  const auto pages = SamplePages(2);
  ASSERT_TRUE(SavePageDocuments(QString::fromStdString(folder), pages).isEmpty());
  std::vector<QImage> pictures;
  for (const auto& page : pages) pictures.push_back(InkMask(RenderPage(PageStrokes(page.strokes))));

  struct Renderer {
    const char* name;
    std::vector<QImage> pages;
  };
  const Renderer renderers[] = {
      {"pdftoppm", RenderedPdf(folder + "/pages.pdf", 2, dir.path())},
      {"xournalpp", RenderWithXournal(QString::fromStdString(folder + "/pages.xopp"),
                                      QString::fromStdString(dir.file("xournal")), kRenderDpi)},
  };
  for (const Renderer& renderer : renderers) {
    SCOPED_TRACE(renderer.name);
    ASSERT_EQ(renderer.pages.size(), 2u);
    for (size_t i = 0; i < 2; ++i) {
      const QImage& rendered = renderer.pages[i];
      EXPECT_EQ(rendered.size(), QSize(893, 1263)) << "A4 at " << kRenderDpi << " dpi";
      const QImage ink = ShrunkInk(InkMask(rendered), pictures[i].size());
      EXPECT_GT(InkCount(pictures[i]), 500);
      EXPECT_LT(InkMismatch(ink, pictures[i]), 0.05) << "page " << i + 1;
      // The other page's picture does not match: the comparison tells pages apart.
      EXPECT_GT(InkMismatch(ink, pictures[1 - i]), 0.5) << "page " << i + 1;
    }
  }
}

TEST(PageDocuments, ADocumentThatCannotBeWrittenIsNamedAndTheOtherIsStillWritten) {
  struct Row {
    const char* blocked;  // a folder in the document's place
    const char* written;
  };
  for (const Row& row : {Row{"pdf", "xopp"}, Row{"xopp", "pdf"}}) {
    SCOPED_TRACE(row.blocked);
    TempDir dir;
    const std::string folder = dir.file("pages");
    std::filesystem::create_directories(folder + "/pages." + row.blocked);
    const QStringList failures = SavePageDocuments(QString::fromStdString(folder), SamplePages(1));
    ASSERT_EQ(failures.size(), 1) << failures.join("|").toStdString();
    EXPECT_TRUE(failures[0].startsWith(QString::fromStdString(folder + "/pages." + row.blocked + ": ")))
        << failures[0].toStdString();
    EXPECT_GT(std::filesystem::file_size(folder + "/pages." + row.written), 100u);
  }
  TempDir dir;
  const QStringList missing = SavePageDocuments(QString::fromStdString(dir.file("no/such")), SamplePages(1));
  EXPECT_EQ(missing.size(), 2) << "a folder that is not there keeps neither";
}

}  // namespace
}  // namespace scrivel::test
