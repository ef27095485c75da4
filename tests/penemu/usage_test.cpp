// penemu's command line: usage errors exit 2 with a message, --help lists the
// options and the version report.

#include <gtest/gtest.h>

#include "tests/penemu/penhost.h"

namespace scrivel::test {
namespace {

TEST(PenemuUsage, BadArgumentsExitTwoWithAMessage) {
  TempDir dir;
  const std::string sock = dir.file("s");
  WriteFile(dir.file("bad.mbf"), std::string(65, '\x01'));
  WriteFile(dir.file("zero.mbf"), std::string(64, '\0'));
  struct Row {
    std::vector<std::string> args;
    std::string message;
  };
  const Row rows[] = {
      {{}, "no mode"},
      {{"pencil"}, "unknown mode"},
      {{"usb"}, "needs --socket"},
      {{"serial", "--socket", sock}, "unknown option"},
      {{"usb", "--link", sock}, "unknown option"},
      {{"usb", "--socket"}, "needs a value"},
      {{"usb", "--socket", sock, "--drop", "1.5"}, "bad value"},
      {{"usb", "--socket", sock, "--drop", "x"}, "bad value"},
      {{"usb", "--socket", sock, "--notes", "-3"}, "bad value"},
      {{"usb", "--socket", sock, "--flags", "256"}, "bad value"},
      {{"usb", "--socket", sock, "--rate", "0"}, "bad value"},
      {{"usb", "--socket", sock, "--stall-after", "two"}, "bad value"},
      {{"usb", "--socket", sock, "--text", "a", "--notes", "2"}, "only one"},
      {{"usb", "--socket", sock, "--image", dir.file("none"), "--flags", "2"}, "--flags"},
      {{"usb", "--socket", sock, "stray"}, "unexpected argument"},
      {{"usb", "--socket", sock, "--image", dir.file("none")}, "cannot read"},
      {{"usb", "--socket", sock, "--mbf", dir.file("bad.mbf")}, "64-byte records"},
      {{"usb", "--socket", sock, "--mbf", dir.file("zero.mbf")}, "packet number 0"},
  };
  for (const Row& row : rows) {
    const RunResult r = scrivel::test::Run(AppPath("penemu"), row.args, {}, 20s);
    const std::string shown = ::testing::PrintToString(row.args);
    EXPECT_EQ(r.exitCode, 2) << shown;
    EXPECT_NE(r.err.find(row.message), std::string::npos) << shown << "\n" << r.err;
    EXPECT_TRUE(r.out.empty()) << shown;
  }
}

TEST(PenemuUsage, HelpListsModesAndVersionReport) {
  const RunResult r = scrivel::test::Run(AppPath("penemu"), {"--help"}, {}, 20s);
  EXPECT_EQ(r.exitCode, 0);
  for (const char* text : {"penemu usb", "penemu serial", "--disconnect-after", "--mbf",
                           "Version report: 80 A9 01 01 1E 00 03 00 01 7E"})
    EXPECT_NE(r.out.find(text), std::string::npos) << text;
}

TEST(PenemuUsage, ImageLargerThanTheMemoryIsRefused) {
  TempDir dir;
  WriteFile(dir.file("big.img"), std::string(33826 * 62 + 1, '\0'));
  const RunResult r = scrivel::test::Run(AppPath("penemu"), {"usb", "--socket", dir.file("s"), "--image", dir.file("big.img")}, {}, 20s);
  EXPECT_EQ(r.exitCode, 2);
  EXPECT_NE(r.err.find("at most 2097212"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace scrivel::test
