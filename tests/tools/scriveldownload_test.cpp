// The headless download, end to end: penemu as the pen, scrivel-download as a process.
#include <gtest/gtest.h>

#include <QImage>

#include <sys/stat.h>

#include <filesystem>

#include "tests/support/emulatedpen.h"
#include "tests/support/process.h"

namespace scrivel::test {
namespace {

RunResult Download(const EmulatedPen& pen, const std::vector<std::string>& args) {
  return Run(AppPath("scrivel-download"), args, {pen.configEnv()}, std::chrono::seconds(120));
}

void ExpectPages(const std::string& folder, int count) {
  for (int page = 1; page <= count; ++page) {
    const QImage picture(QString::fromStdString(folder + "/" + std::to_string(page) + ".jpg"));
    EXPECT_EQ(picture.size(), QSize(222, 271)) << "page " << page;
  }
  EXPECT_FALSE(std::filesystem::exists(folder + "/" + std::to_string(count + 1) + ".jpg"));
}

struct Link {
  const char* mode;
  int pages;  // serial notes cost half a second each by protocol: fewer there
};

class ScrivelDownload : public testing::TestWithParam<Link> {};

TEST_P(ScrivelDownload, AllPagesThenEraseThenEmpty) {
  const auto [mode, pages] = GetParam();
  const std::string n = std::to_string(pages);
  EmulatedPen pen(mode, {"--notes", n, "--seed", "3"});
  ASSERT_TRUE(pen.ready());
  const std::string out = pen.dir().file("pages/new folder");
  const RunResult first = Download(pen, {"--out", out, "--erase"});
  ASSERT_EQ(first.exitCode, 0) << first.err;
  ExpectPages(out, pages);
  EXPECT_NE(first.out.find("page " + n + ": " + out + "/" + n + ".jpg"), std::string::npos) << first.out;
  EXPECT_NE(first.out.find(n + " pages saved"), std::string::npos);
  EXPECT_NE(first.out.find("The pen was erased."), std::string::npos);
  EXPECT_NE(first.err.find("100%"), std::string::npos) << "progress is shown";
  // Both documents of all pages, named after the folder.
  for (const std::string suffix : {".pdf", ".xopp"})
    EXPECT_NE(first.out.find("document: " + out + "/new folder" + suffix), std::string::npos) << first.out;
  const RunResult info = scrivel::test::Run("/usr/bin/pdfinfo", {out + "/new folder.pdf"});
  EXPECT_NE(info.out.find("Pages:           " + n + "\n"), std::string::npos) << info.out;
  EXPECT_GT(std::filesystem::file_size(out + "/new folder.xopp"), 100u);

  const RunResult second = Download(pen, {"--out", pen.dir().file("again")});
  EXPECT_EQ(second.exitCode, 0) << second.err;
  EXPECT_NE(second.out.find("The pen holds no pages."), std::string::npos) << second.out;
  EXPECT_FALSE(std::filesystem::exists(pen.dir().file("again/1.jpg")));
}

INSTANTIATE_TEST_SUITE_P(BothLinks, ScrivelDownload, testing::Values(Link{"usb", 7}, Link{"serial", 2}),
                         [](const auto& info) { return std::string(info.param.mode); });

TEST(ScrivelDownloadFailures, UnwritableFolderKeepsThePen) {
  EmulatedPen pen("usb", {"--notes", "2"});
  ASSERT_TRUE(pen.ready());
  // A file where the folder should be: nothing can be written there.
  WriteFile(pen.dir().file("blocked"), "not a folder");
  const RunResult result = Download(pen, {"--out", pen.dir().file("blocked"), "--erase"});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_NE(result.err.find("pages 1, 2 could not be saved"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("not erased"), std::string::npos);
  // The pen still holds both pages.
  const RunResult again = Download(pen, {"--out", pen.dir().file("ok")});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  ExpectPages(pen.dir().file("ok"), 2);
}

TEST(ScrivelDownloadFailures, UnwritableDocumentKeepsThePen) {
  EmulatedPen pen("usb", {"--notes", "2"});
  ASSERT_TRUE(pen.ready());
  // A folder in the PDF's place: the pictures are written, the PDF is not.
  std::filesystem::create_directories(pen.dir().file("pages/pages.pdf"));
  const RunResult result = Download(pen, {"--out", pen.dir().file("pages"), "--erase"});
  EXPECT_EQ(result.exitCode, 5);
  EXPECT_NE(result.err.find("document not written: " + pen.dir().file("pages/pages.pdf")), std::string::npos)
      << result.err;
  EXPECT_NE(result.err.find("not erased"), std::string::npos);
  ExpectPages(pen.dir().file("pages"), 2);
  const RunResult again = Download(pen, {"--out", pen.dir().file("ok")});
  EXPECT_EQ(again.exitCode, 0) << again.err;
  ExpectPages(pen.dir().file("ok"), 2);
}

TEST(ScrivelDownloadFailures, ProblemsAreNamed) {
  TempDir dir;
  const RunResult unconfigured = scrivel::test::Run(AppPath("scrivel-download"), {"--out", dir.file("x")},
                                     {"XDG_CONFIG_HOME=" + dir.path()});
  EXPECT_EQ(unconfigured.exitCode, 3);
  EXPECT_NE(unconfigured.err.find("No pen is configured"), std::string::npos) << unconfigured.err;

  WriteFile(dir.file("Tavolo Technologies/VeloRoute.conf"),
            "[General]\nPort=-1\nUsbDevice=unix:" + dir.file("nobody.sock") + "\n");
  const RunResult absent = scrivel::test::Run(AppPath("scrivel-download"), {"--out", dir.file("x")},
                               {"XDG_CONFIG_HOME=" + dir.path()});
  EXPECT_EQ(absent.exitCode, 3);
  EXPECT_NE(absent.err.find("not found"), std::string::npos) << absent.err;

  EXPECT_EQ(scrivel::test::Run(AppPath("scrivel-download"), {}).exitCode, 2);
  EXPECT_EQ(scrivel::test::Run(AppPath("scrivel-download"), {"--out"}).exitCode, 2);
}

TEST(ScrivelDownloadFailures, ACutOffDownloadSavesTheWholePagesAndKeepsThePen) {
  // Six notes fill 3,249 packets: the link drops about half-way.
  EmulatedPen pen("usb", {"--notes", "6", "--seed", "3", "--disconnect-after", "1700"});
  ASSERT_TRUE(pen.ready());
  const std::string out = pen.dir().file("pages");
  const RunResult result = Download(pen, {"--out", out, "--erase"});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_NE(result.err.find("time-out"), std::string::npos) << result.err;
  EXPECT_NE(result.err.find("the pen was not erased"), std::string::npos) << result.err;
  EXPECT_EQ(result.out.find("The pen was erased."), std::string::npos) << result.out;
  int saved = 0;
  while (std::filesystem::exists(out + "/" + std::to_string(saved + 1) + ".jpg")) ++saved;
  EXPECT_GE(saved, 2);
  EXPECT_LT(saved, 6);
  ExpectPages(out, saved);
}

TEST(ScrivelDownloadFailures, SilentPenTimesOut) {
  EmulatedPen pen("usb", {"--notes", "2", "--stall-after", "0"});
  ASSERT_TRUE(pen.ready());
  const RunResult result = Download(pen, {"--out", pen.dir().file("x")});
  EXPECT_EQ(result.exitCode, 4);
  EXPECT_NE(result.err.find("time-out"), std::string::npos) << result.err;
}

}  // namespace
}  // namespace scrivel::test
