// Which language the programs speak: the module chosen by the user's
// languages when both ship, the one present otherwise, and Qt's own texts in
// the same language, seen by a real process started with LANG set.
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <string>

#include "lang/languagechoice.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace {

using scrivel::test::TempDir;

TEST(LanguageChoiceTest, TheFirstOfTheUsersLanguagesThatIsChineseOrEnglishDecides) {
  const struct {
    QStringList languages;
    bool chinese;
  } rows[] = {
      {{"zh-CN"}, true},
      {{"zh-Hans-CN", "zh-CN", "zh"}, true},
      {{"zh-TW"}, true},
      {{"en-US", "en"}, false},
      {{"C"}, false},
      {{}, false},
      {{"de-DE", "zh-CN"}, true},  // no German module: Chinese is the next wish
      {{"fr-FR", "en-GB", "zh-CN"}, false},
      {{"ja-JP"}, false},  // neither: English
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.languages.join(',').toStdString());
    EXPECT_EQ(scrivel::PrefersChinese(row.languages), row.chinese);
  }
}

TEST(LanguageChoiceTest, QtTranslationsFollowTheModulesLanguage) {
  EXPECT_EQ(scrivel::ModuleLocale(scrivel::kChineseModule, {"en-US"}).language(), QLocale::Chinese);
  EXPECT_EQ(scrivel::ModuleLocale(scrivel::kChineseModule, {"en-US"}).territory(), QLocale::China);
  EXPECT_EQ(scrivel::ModuleLocale(scrivel::kChineseModule, {"de-DE", "zh-TW"}).territory(), QLocale::Taiwan);
  EXPECT_EQ(scrivel::ModuleLocale(scrivel::kEnglishModule, {"zh-CN"}).language(), QLocale::English);
}

// The modules that ship, copied into a folder of their own.
void CopyModules(const TempDir& dir, bool chinese, bool english) {
  const QString app = QStringLiteral(SCRIVEL_APP_DIR);
  const QString to = QString::fromStdString(dir.path());
  if (chinese) {
    ASSERT_TRUE(QFile::copy(app + "/ScrivelCh.qm", to + "/ScrivelCh.qm"));
  }
  if (english) {
    ASSERT_TRUE(QFile::copy(app + "/ScrivelEn.qm", to + "/ScrivelEn.qm"));
  }
}

TEST(LanguageChoiceTest, TheProgramsSpeakTheLanguageOfTheirEnvironment) {
  const struct {
    const char* lang;
    bool chinese, english;  // modules present
    const char* module;
    const char* qt;  // English needs none: Qt's own texts are English
    const char* cancel;
  } rows[] = {
      {"en_US.UTF-8", true, true, "ScrivelEn.qm", "", "Cancel"},
      {"zh_CN.UTF-8", true, true, "ScrivelCh.qm", "qtbase_zh_CN.qm", "取消"},
      {"C", true, true, "ScrivelEn.qm", "", "Cancel"},
      {"en_US.UTF-8", true, false, "ScrivelCh.qm", "qtbase_zh_CN.qm", "取消"},
      {"zh_CN.UTF-8", true, false, "ScrivelCh.qm", "qtbase_zh_CN.qm", "取消"},
      {"C", true, false, "ScrivelCh.qm", "qtbase_zh_CN.qm", "取消"},
      {"en_US.UTF-8", false, true, "ScrivelEn.qm", "", "Cancel"},
      {"zh_CN.UTF-8", false, true, "ScrivelEn.qm", "", "Cancel"},
      {"C", false, true, "ScrivelEn.qm", "", "Cancel"},
      {"zh_TW.UTF-8", true, true, "ScrivelCh.qm", "qtbase_zh_TW.qm", "取消"},
      {"zh_CN.UTF-8", false, false, "", "qtbase_zh_CN.qm", "取消"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.lang << " Ch " << row.chinese << " En " << row.english);
    TempDir dir;
    CopyModules(dir, row.chinese, row.english);
    // Only LANG speaks: the variables that would override it are empty.
    const auto result = scrivel::test::Run(
        SCRIVEL_LANGUAGE_PROBE, {dir.path()},
        {std::string("LANG=") + row.lang, "LC_ALL=", "LC_MESSAGES=", "LANGUAGE="});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, std::string("module=") + row.module + "\nqt=" + row.qt + "\ncancel=" + row.cancel +
                              "\n");
  }
}

TEST(LanguageChoiceTest, LanguageOverridesLangAsTheDesktopSays) {
  TempDir dir;
  CopyModules(dir, true, true);
  const auto result = scrivel::test::Run(SCRIVEL_LANGUAGE_PROBE, {dir.path()},
                                         {"LANG=en_US.UTF-8", "LC_ALL=", "LC_MESSAGES=", "LANGUAGE=zh_CN:en"});
  ASSERT_EQ(result.exitCode, 0) << result.err;
  EXPECT_EQ(result.out.substr(0, result.out.find('\n')), "module=ScrivelCh.qm");
}

}  // namespace
