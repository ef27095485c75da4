#include "update/version.h"

#include <gtest/gtest.h>

#include "tests/support/tempdir.h"

namespace scrivel {
namespace {

TEST(CompareVersion, Table) {
  struct Row {
    const char *local, *server;
    int expected;
  };
  const Row rows[] = {
      {"1.2.3", "1.2.4", 1}, {"1.2.3", "1.3.0", 1}, {"1.9.9", "2.0.0", 1},
      {"2.0.0", "1.5.3", 0}, {"1.2.3", "1.2.3", 0}, {"1.10.0", "1.9.9", 0},
      {"1.9.0", "1.10.0", 1}, {"0.0.0", "1.10.0", 1}, {"1.2.3", "1.2.3x", 0},
      {"1..3", "1.0.4", 1},  // an empty part counts as 0
      {"1.a.3", "1.0.4", 1}, {"1.2.3", "1.2.3;a,b;", 0}, {"1.2.3", "1.2.4;", 1},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::string(row.local) + " vs " + row.server);
    EXPECT_EQ(CompareVersion(row.local, row.server), row.expected);
  }
}

TEST(ServerVersion, TextBeforeTheFirstSemicolon) {
  EXPECT_EQ(ServerVersion("1.2.4;a,b;"), "1.2.4");
  EXPECT_EQ(ServerVersion("1.2.4"), "1.2.4");
  EXPECT_EQ(ServerVersion(";x"), "");
}

TEST(LocalVersion, MissingFileCountsAsZero) {
  test::TempDir dir;
  EXPECT_EQ(ReadLocalVersion(dir.path()), "0.0.0");
  test::WriteFile(dir.file("Version.txt"), "1.10.0");
  EXPECT_EQ(ReadLocalVersion(dir.path()), "1.10.0");
  test::WriteFile(dir.file("Version.txt"), "1.2.3.4.5.6.7.8.9.10.11.12");
  EXPECT_EQ(ReadLocalVersion(dir.path()).size(), 19u);
  test::WriteFile(dir.file("Version.txt"), "");
  EXPECT_EQ(ReadLocalVersion(dir.path()), "0.0.0");
}

}  // namespace
}  // namespace scrivel
