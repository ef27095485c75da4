// The language texts: which module serves, missing modules and ids, the cut
// at 259 characters, and the two modules that ship with the program.
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "lang/languagestrings.h"
#include "lang/textids.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace {

using scrivel::test::TempDir;

std::string Escape(const QString& text) {
  return text.toHtmlEscaped().toStdString();
}

// Compiles a language module `name`.qm in `dir` with lrelease.
void MakeModule(const TempDir& dir, const std::string& name, const std::map<int, QString>& texts) {
  std::string ts = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!DOCTYPE TS>\n"
                   "<TS version=\"2.1\"><context><name>Scrivel</name>\n";
  for (const auto& [id, text] : texts)
    ts += "<message><source>" + std::to_string(id) + "</source><translation>" + Escape(text) +
          "</translation></message>\n";
  ts += "</context></TS>\n";
  scrivel::test::WriteFile(dir.file(name + ".ts"), ts);
  const auto result = scrivel::test::Run(
      SCRIVEL_LRELEASE, {"-silent", dir.file(name + ".ts"), "-qm", dir.file(name + ".qm")});
  ASSERT_EQ(result.exitCode, 0) << result.err;
}

QString Folder(const TempDir& dir) { return QString::fromStdString(dir.path()); }

TEST(LanguageStringsTest, WithBothModulesTheUsersLanguageChooses) {
  TempDir dir;
  MakeModule(dir, "ScrivelCh", {{10001, QStringLiteral("擦除笔中的页面？")}, {10008, QStringLiteral("更新？")}});
  MakeModule(dir, "ScrivelEn", {{10001, QStringLiteral("Erase?")}, {10008, QStringLiteral("Update?")}});
  CLanguageStrings strings;
  EXPECT_EQ(strings.Load(Folder(dir), 10001, 10008, {"zh-CN"}), Folder(dir) + "/ScrivelCh.qm");
  EXPECT_EQ(strings.Get(10001), QStringLiteral("擦除笔中的页面？"));
  EXPECT_EQ(strings.Get(10008), QStringLiteral("更新？"));
  EXPECT_EQ(strings.Load(Folder(dir), 10001, 10008, {"en-US"}), Folder(dir) + "/ScrivelEn.qm");
  EXPECT_EQ(strings.Get(10001), QStringLiteral("Erase?"));
  EXPECT_EQ(strings.Load(Folder(dir), 10001, 10008, {"C"}), Folder(dir) + "/ScrivelEn.qm");
}

TEST(LanguageStringsTest, EnglishModuleServesWhenItIsTheOnlyOne) {
  TempDir dir;
  MakeModule(dir, "ScrivelEn", {{10002, QStringLiteral("The pen holds no pages.")}});
  CLanguageStrings strings;
  EXPECT_EQ(strings.Load(Folder(dir), 10001, 10008, {"zh-CN"}), Folder(dir) + "/ScrivelEn.qm");
  EXPECT_EQ(strings.Get(10002), QStringLiteral("The pen holds no pages."));
}

TEST(LanguageStringsTest, UnreadableChineseModuleFallsBackToEnglish) {
  TempDir dir;
  scrivel::test::WriteFile(dir.file("ScrivelCh.qm"), "not a language module");
  MakeModule(dir, "ScrivelEn", {{10003, QStringLiteral("Only page.")}});
  CLanguageStrings strings;
  EXPECT_EQ(strings.Load(Folder(dir), 10001, 10008, {"zh-CN"}), Folder(dir) + "/ScrivelEn.qm");
  EXPECT_EQ(strings.Get(10003), QStringLiteral("Only page."));
}

TEST(LanguageStringsTest, NoModuleLeavesEveryTextEmpty) {
  TempDir dir;
  CLanguageStrings strings;
  EXPECT_TRUE(strings.Load(Folder(dir), 10001, 10008).isEmpty());
  for (int id = 10001; id <= 10008; ++id) EXPECT_TRUE(strings.Get(id).isEmpty()) << id;
}

TEST(LanguageStringsTest, OnlyTheTwoModuleNamesOfTheFolderCount) {
  // Neither a module named after a part of the folder's path ("app" of
  // "app_lang") nor a module without its suffix is a module of the folder.
  TempDir dir;
  MakeModule(dir, "app", {{10001, QStringLiteral("Stray")}});
  MakeModule(dir, "ScrivelEn", {{10001, QStringLiteral("Suffixless")}});
  const QString folder = Folder(dir) + "/app_lang";
  ASSERT_TRUE(QDir().mkpath(folder));
  ASSERT_TRUE(QFile::rename(Folder(dir) + "/ScrivelEn.qm", folder + "/ScrivelEn"));
  CLanguageStrings strings;
  EXPECT_TRUE(strings.Load(folder, 10001, 10008).isEmpty());
  EXPECT_TRUE(strings.Get(10001).isEmpty());
}

TEST(LanguageStringsTest, IdsTheModuleLacksStayEmptyAndOthersAreFilled) {
  TempDir dir;
  MakeModule(dir, "ScrivelEn", {{10004, QStringLiteral("Live Note")}, {10012, QStringLiteral("Beyond")}});
  CLanguageStrings strings;
  strings.Load(Folder(dir), 10001, 10008);
  EXPECT_EQ(strings.Get(10004), QStringLiteral("Live Note"));
  EXPECT_TRUE(strings.Get(10005).isEmpty());
  EXPECT_TRUE(strings.Get(10012).isEmpty()) << "outside the range asked for";
  EXPECT_TRUE(strings.Get(42).isEmpty());
}

TEST(LanguageStringsTest, ReloadingForgetsTheTextsOfTheFormerModule) {
  TempDir first, second;
  MakeModule(first, "ScrivelEn", {{10001, QStringLiteral("One")}, {10002, QStringLiteral("Two")}});
  MakeModule(second, "ScrivelEn", {{10001, QStringLiteral("Uno")}});
  CLanguageStrings strings;
  strings.Load(Folder(first), 10001, 10008);
  strings.Load(Folder(second), 10001, 10008);
  EXPECT_EQ(strings.Get(10001), QStringLiteral("Uno"));
  EXPECT_TRUE(strings.Get(10002).isEmpty());
}

TEST(LanguageStringsTest, TextsAreCutTo259Characters) {
  const QString smile = QString::fromUtf8("\xF0\x9F\x98\x80");  // two UTF-16 units
  const struct {
    QString text;
    QString expected;
  } rows[] = {
      {QString(258, 'a'), QString(258, 'a')},
      {QString(259, 'b'), QString(259, 'b')},
      {QString(260, 'c'), QString(259, 'c')},
      {QString(400, QChar(0x4E2D)), QString(259, QChar(0x4E2D))},
      // The cut falls inside a surrogate pair: the half character goes too.
      {QString(258, 'd') + smile + "tail", QString(258, 'd')},
      {QString(257, 'e') + smile + "tail", QString(257, 'e') + smile},
  };
  for (const auto& row : rows) {
    TempDir dir;
    MakeModule(dir, "ScrivelEn", {{10007, row.text}});
    CLanguageStrings strings;
    strings.Load(Folder(dir), 10001, 10008);
    EXPECT_EQ(strings.Get(10007), row.expected) << row.text.size();
  }
}

TEST(LanguageStringsTest, ShippedModulesCarryEveryText) {
  const QString app = QStringLiteral(SCRIVEL_APP_DIR);
  const int last = scrivel::text::kLastAppText;
  CLanguageStrings chinese;
  ASSERT_EQ(chinese.Load(app, 10001, last, {"zh-CN"}), app + "/ScrivelCh.qm");
  CLanguageStrings english;
  ASSERT_EQ(english.Load(app, 10001, last, {"en-US"}), app + "/ScrivelEn.qm");

  for (int id = 10001; id <= last; ++id) {
    const QString ch = chinese.Get(id), en = english.Get(id);
    EXPECT_FALSE(ch.isEmpty()) << id;
    EXPECT_FALSE(en.isEmpty()) << id;
    EXPECT_NE(ch, en) << id;
    EXPECT_LE(ch.size(), CLanguageStrings::kMaxChars);
    EXPECT_LE(en.size(), CLanguageStrings::kMaxChars);
    const bool hasHan = std::any_of(ch.begin(), ch.end(), [](QChar c) {
      return c.script() == QChar::Script_Han;
    });
    EXPECT_TRUE(hasHan) << id;
  }
}

}  // namespace
