#include "update/manifest.h"

#include <gtest/gtest.h>

namespace scrivel {
namespace {

TEST(Manifest, EntriesInOrder) {
  const auto parsed = ParseManifestEntries("1.2.4;scrivel,0123456789abcdef0123456789abcdef;libnibdl.so,ffff;");
  ASSERT_TRUE(parsed.error.empty());
  ASSERT_EQ(parsed.entries.size(), 2u);
  EXPECT_EQ(parsed.entries[0].strFileName, "scrivel");
  EXPECT_EQ(parsed.entries[0].strMD5Num, "0123456789abcdef0123456789abcdef");
  EXPECT_EQ(parsed.entries[1].strFileName, "libnibdl.so");
  EXPECT_EQ(parsed.entries[1].strMD5Num, "ffff");
}

TEST(Manifest, EntriesNeedAClosingSemicolon) {
  EXPECT_TRUE(ParseManifestEntries("1.2.4;").entries.empty());
  EXPECT_TRUE(ParseManifestEntries("1.2.4").entries.empty());
  const auto parsed = ParseManifestEntries("1.2.4;a,1;b,2");
  ASSERT_EQ(parsed.entries.size(), 1u);
  EXPECT_EQ(parsed.entries[0].strFileName, "a");
}

TEST(Manifest, NamesOutsideTheFolderRejectEverything) {
  const char* bad[] = {
      "1.2.4;ok,1;../evil,2;",   "1.2.4;ok,1;/etc/passwd,2;", "1.2.4;ok,1;a/b,2;",
      "1.2.4;ok,1;..,2;",        "1.2.4;ok,1;.,2;",          "1.2.4;ok,1;,2;",
      "1.2.4;ok,1;a\\b,2;",      "1.2.4;ok,1;a\nb,2;",       "1.2.4;ok,1;nocomma;",
      "1.2.4;ok,1;..hidden,2;",  "1.2.4;ok,1;a\x7f,2;",       "1.2.4;ok,1;\tx,2;",
      // A file named twice, or the version file the updater writes itself.
      "1.2.4;a,1;b,2;a,3;",      "1.2.4;a,1;a,1;",           "1.2.4;Version.txt,1;",
  };
  for (const char* manifest : bad) {
    SCOPED_TRACE(manifest);
    const auto parsed = ParseManifestEntries(manifest);
    EXPECT_FALSE(parsed.error.empty());
    EXPECT_TRUE(parsed.entries.empty());
  }
  EXPECT_TRUE(IsPlainFileName("ScrivelCh.qm"));
}

TEST(Manifest, SpacesAndLettersBeyondAsciiArePlainNames) {
  const auto parsed = ParseManifestEntries("1.2.4;my notes 2.txt,1;Über 笔记.txt,2;.config,3;a..b,4;");
  ASSERT_TRUE(parsed.error.empty()) << parsed.error;
  ASSERT_EQ(parsed.entries.size(), 4u);
  EXPECT_EQ(parsed.entries[0].strFileName, "my notes 2.txt");
  EXPECT_EQ(parsed.entries[1].strFileName, "Über 笔记.txt");
  EXPECT_TRUE(ParseManifestEntries("1.2.4;a,1;A,2;").error.empty()) << "names differ by case";
}

}  // namespace
}  // namespace scrivel
