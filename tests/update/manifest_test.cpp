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
  };
  for (const char* manifest : bad) {
    SCOPED_TRACE(manifest);
    const auto parsed = ParseManifestEntries(manifest);
    EXPECT_FALSE(parsed.error.empty());
    EXPECT_TRUE(parsed.entries.empty());
  }
  EXPECT_TRUE(IsPlainFileName("..hidden-but-plain"));
  EXPECT_TRUE(IsPlainFileName("ScrivelCh.qm"));
}

}  // namespace
}  // namespace scrivel
