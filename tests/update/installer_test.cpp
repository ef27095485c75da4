#include "update/installer.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "tests/support/httpserver.h"
#include "tests/support/tempdir.h"
#include "update/md5digest.h"

namespace scrivel {
namespace {

using test::ReadFile;
using test::TempDir;
using test::WriteFile;

const FetchLimits kQuick{std::chrono::milliseconds(2000), std::chrono::milliseconds(2000)};

// An installed application folder and a server folder with a newer release.
class Installer : public testing::Test {
 protected:
  Installer()
      : m_app(m_dir.file("app")), m_temp(m_dir.file("app/Temp")), m_www(m_dir.file("www")) {
    WriteFile(m_app + "/Version.txt", "1.10.0");
    WriteFile(m_app + "/scrivel", "#!old scrivel");
    chmod((m_app + "/scrivel").c_str(), 0755);
    WriteFile(m_app + "/libnibdl.so", "old library");
    WriteFile(m_app + "/ScrivelCh.qm", "old chinese");
  }
  UpDataFileNameAndMD5Num Publish(const std::string& name, const std::string& content) {
    WriteFile(m_www + "/download/" + name, content);
    return {name, Md5OfBytes(content)};
  }
  UpdateStepResult Download(const std::vector<UpDataFileNameAndMD5Num>& entries) {
    test::HttpServer server(m_www);
    return DownloadEntries(entries, server.baseUrl() + "download/", m_temp, {}, kQuick);
  }

  TempDir m_dir;
  std::string m_app, m_temp, m_www;
};

TEST_F(Installer, InstallsEveryFileAndTheVersion) {
  const std::vector entries{Publish("scrivel", "#!new scrivel"), Publish("libnibdl.so", "new library"),
                            Publish("penemu", "\x7f" "ELF new tool")};
  size_t progressCalls = 0;
  test::HttpServer server(m_www);
  const auto downloaded = DownloadEntries(entries, server.baseUrl() + "download/", m_temp,
                                          [&](size_t, size_t total) {
                                            ++progressCalls;
                                            EXPECT_EQ(total, 3u);
                                          }, kQuick);
  ASSERT_TRUE(downloaded.ok) << downloaded.error;
  EXPECT_EQ(progressCalls, 3u);
  EXPECT_EQ(ReadFile(m_app + "/scrivel"), "#!old scrivel") << "downloading changes nothing installed";

  const auto installed = InstallEntries(entries, m_app, m_temp, "1.11.0");
  ASSERT_TRUE(installed.ok) << installed.error;
  EXPECT_EQ(ReadFile(m_app + "/scrivel"), "#!new scrivel");
  EXPECT_EQ(ReadFile(m_app + "/libnibdl.so"), "new library");
  EXPECT_EQ(ReadFile(m_app + "/penemu"), "\x7f" "ELF new tool");
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.11.0");
  struct stat st;
  ASSERT_EQ(stat((m_app + "/scrivel").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0755u) << "a replaced file keeps its mode";
  ASSERT_EQ(stat((m_app + "/penemu").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0111, 0111u) << "a new program is executable";
  // Nothing of the transaction is left behind.
  for (const auto& file : std::filesystem::directory_iterator(m_app))
    EXPECT_EQ(file.path().filename().string().find(".scrivel-"), std::string::npos) << file.path();
  EXPECT_FALSE(std::filesystem::exists(m_temp + "/scrivel"));
}

TEST_F(Installer, ADamagedOrMissingFileStopsBeforeAnythingChanges) {
  auto good = Publish("scrivel", "#!new scrivel");
  auto damaged = Publish("libnibdl.so", "new library");
  damaged.strMD5Num[0] = damaged.strMD5Num[0] == '0' ? '1' : '0';
  EXPECT_FALSE(Download({good, damaged}).ok);

  auto capitals = Publish("libnibdl.so", "new library");
  for (auto& c : capitals.strMD5Num) c = static_cast<char>(toupper(c));
  const auto result = Download({good, capitals});
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("libnibdl.so"), std::string::npos);

  const auto missing = Download({good, {"absent.bin", Md5OfBytes("x")}});
  EXPECT_FALSE(missing.ok);
  EXPECT_EQ(ReadFile(m_app + "/scrivel"), "#!old scrivel");
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.10.0");
}

TEST_F(Installer, LanguageModulesOnlyWhereTheLanguageIsInstalled) {
  const std::vector entries{Publish("ScrivelCh.qm", "new chinese"), Publish("ScrivelEn.qm", "new english")};
  ASSERT_TRUE(Download(entries).ok);
  const auto installed = InstallEntries(entries, m_app, m_temp, "1.11.0");
  ASSERT_TRUE(installed.ok) << installed.error;
  EXPECT_EQ(ReadFile(m_app + "/ScrivelCh.qm"), "new chinese");
  EXPECT_FALSE(std::filesystem::exists(m_app + "/ScrivelEn.qm"));
  EXPECT_EQ(installed.skipped, std::vector<std::string>{"ScrivelEn.qm"});
  EXPECT_TRUE(std::filesystem::exists(m_temp + "/ScrivelEn.qm")) << "a skipped download stays in Temp";
}

TEST_F(Installer, AFailureHalfWayRestoresEveryFile) {
  // The last entry's target is a folder: it cannot be replaced by a file.
  std::filesystem::create_directories(m_app + "/plugins");
  const std::vector entries{Publish("scrivel", "#!new scrivel"), Publish("libnibdl.so", "new library"),
                            Publish("plugins", "not a folder")};
  ASSERT_TRUE(Download(entries).ok);
  const auto result = InstallEntries(entries, m_app, m_temp, "1.11.0");
  EXPECT_FALSE(result.ok);
  EXPECT_NE(result.error.find("plugins"), std::string::npos) << result.error;
  EXPECT_EQ(ReadFile(m_app + "/scrivel"), "#!old scrivel");
  EXPECT_EQ(ReadFile(m_app + "/libnibdl.so"), "old library");
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.10.0");
  EXPECT_TRUE(std::filesystem::is_directory(m_app + "/plugins"));
  for (const auto& file : std::filesystem::directory_iterator(m_app))
    EXPECT_EQ(file.path().filename().string().find(".scrivel-"), std::string::npos) << file.path();
}

TEST_F(Installer, UnsafeNamesChangeNothingAnywhere) {
  WriteFile(m_dir.file("victim"), "precious");
  const std::vector<UpDataFileNameAndMD5Num> entries{{"../victim", Md5OfBytes("x")}};
  EXPECT_FALSE(Download(entries).ok);
  EXPECT_FALSE(InstallEntries(entries, m_app, m_temp, "1.11.0").ok);
  EXPECT_EQ(ReadFile(m_dir.file("victim")), "precious");
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.10.0");
}

TEST_F(Installer, NamesWithSpacesAndLettersBeyondAsciiInstall) {
  const std::vector entries{Publish("my notes 2.txt", "notes"), Publish("Über 笔记#1?.txt", "letters")};
  test::HttpServer server(m_www);
  const auto downloaded = DownloadEntries(entries, server.baseUrl() + "download/", m_temp, {}, kQuick);
  ASSERT_TRUE(downloaded.ok) << downloaded.error;
  EXPECT_NE(server.requestLog().find("GET /download/my%20notes%202.txt"), std::string::npos)
      << server.requestLog();
  EXPECT_NE(server.requestLog().find("%231%3F.txt"), std::string::npos) << "# and ? stay in the name";
  const auto installed = InstallEntries(entries, m_app, m_temp, "1.11.0");
  ASSERT_TRUE(installed.ok) << installed.error;
  EXPECT_EQ(ReadFile(m_app + "/my notes 2.txt"), "notes");
  EXPECT_EQ(ReadFile(m_app + "/Über 笔记#1?.txt"), "letters");
}

TEST_F(Installer, AFileNamedTwiceChangesNothing) {
  const auto first = Publish("libnibdl.so", "new library");
  const std::vector entries{first, Publish("scrivel", "#!new scrivel"), first};
  {
    test::HttpServer server(m_www);
    const auto downloaded = DownloadEntries(entries, server.baseUrl() + "download/", m_temp, {}, kQuick);
    EXPECT_FALSE(downloaded.ok);
    EXPECT_NE(downloaded.error.find("libnibdl.so"), std::string::npos) << downloaded.error;
    EXPECT_EQ(server.requestLog(), "") << "refused before anything is fetched";
  }
  ASSERT_TRUE(Download({first, entries[1]}).ok);
  EXPECT_FALSE(InstallEntries(entries, m_app, m_temp, "1.11.0").ok);
  EXPECT_EQ(ReadFile(m_app + "/libnibdl.so"), "old library");
  EXPECT_EQ(ReadFile(m_app + "/scrivel"), "#!old scrivel");
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.10.0");
}

TEST_F(Installer, AnEmptyReleaseOnlyRecordsTheVersion) {
  const auto installed = InstallEntries({}, m_app, m_temp, "1.2.4");
  ASSERT_TRUE(installed.ok) << installed.error;
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.2.4");
}

}  // namespace
}  // namespace scrivel
