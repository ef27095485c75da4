// The updater against a real HTTP server serving a release made by scrivel-publish.
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>

#include "lang/languagestrings.h"
#include "scrivelupdata/scrivelupdatadlg.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/httpserver.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"
#include "update/md5digest.h"

namespace {

using scrivel::test::ReadFile;
using scrivel::test::WriteFile;
using Outcome = CScrivelUpDataDlg::Outcome;

const scrivel::FetchLimits kQuick{std::chrono::milliseconds(2000), std::chrono::milliseconds(2000)};

class UpdaterTest : public testing::Test {
 protected:
  void SetUp() override {
    g_strings.Load(SCRIVEL_APP_DIR, 10008, 10012);
    m_app = m_dir.file("app");
    WriteFile(m_app + "/Version.txt", "1.10.0");
    WriteFile(m_app + "/scrivel", "old scrivel");
    WriteFile(m_app + "/libnibdl.so", "old library");
    // The new release, published the way a maintainer does it.
    m_release = m_dir.file("newapp");
    WriteFile(m_release + "/Version.txt", "1.11.0");
    WriteFile(m_release + "/scrivel", "new scrivel");
    WriteFile(m_release + "/libnibdl.so", "new library");
    WriteFile(m_release + "/ScrivelEn.qm", "english texts");
    m_www = m_dir.file("www");
    Publish();
    m_server = std::make_unique<scrivel::test::HttpServer>(m_www);
  }
  void Publish() {
    const auto published = scrivel::test::Run(SCRIVEL_SOURCE_DIR "/tools/scrivel-publish", {m_release, m_www});
    ASSERT_EQ(published.exitCode, 0) << published.err;
  }
  Outcome Update(const std::string& baseUrl, const std::string& key = "") {
    CScrivelUpDataDlg dlg(QString::fromStdString(m_app), baseUrl, key, nullptr, kQuick);
    return dlg.RunUpdate();
  }
  void ExpectUnchanged() {
    EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.10.0");
    EXPECT_EQ(ReadFile(m_app + "/scrivel"), "old scrivel");
    EXPECT_EQ(ReadFile(m_app + "/libnibdl.so"), "old library");
  }

  scrivel::test::TempDir m_dir;
  std::string m_app, m_release, m_www;
  std::unique_ptr<scrivel::test::HttpServer> m_server;
  scrivel::test::DialogAnswerer m_answers;
};

TEST_F(UpdaterTest, NewerVersionInstallsEveryFileAndTheVersion) {
  EXPECT_EQ(Update(m_server->baseUrl()), Outcome::Updated);
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.11.0");
  EXPECT_EQ(ReadFile(m_app + "/scrivel"), "new scrivel");
  EXPECT_EQ(ReadFile(m_app + "/libnibdl.so"), "new library");
  EXPECT_FALSE(std::filesystem::exists(m_app + "/ScrivelEn.qm")) << "English was not installed";
  EXPECT_EQ(m_answers.texts(), (QStringList{g_strings.Get(10012), g_strings.Get(10009)}));
  EXPECT_EQ(m_answers.titles(), (QStringList{"Scrivel", "Scrivel"}));
}

TEST_F(UpdaterTest, ATamperedFileChangesNothing) {
  WriteFile(m_www + "/download/libnibdl.so", "tampered library");
  EXPECT_EQ(Update(m_server->baseUrl()), Outcome::Failed);
  ExpectUnchanged();
  EXPECT_EQ(m_answers.texts(), QStringList{g_strings.Get(10010)});
}

TEST_F(UpdaterTest, UnsafeNamesRejectTheUpdateBeforeAnyDownload) {
  WriteFile(m_dir.file("evil"), "precious");
  WriteFile(m_www + "/download/Version.txt",
            "1.11.0;scrivel," + scrivel::Md5OfBytes("new scrivel") + ";../evil," +
                scrivel::Md5OfBytes("new scrivel") + ";");
  EXPECT_EQ(Update(m_server->baseUrl()), Outcome::Failed);
  ExpectUnchanged();
  EXPECT_EQ(ReadFile(m_dir.file("evil")), "precious");
  EXPECT_EQ(m_server->requestLog().find("download/scrivel"), std::string::npos) << "nothing downloaded";
}

TEST_F(UpdaterTest, NamesWithSpacesAndLettersBeyondAsciiArePlainFiles) {
  WriteFile(m_release + "/my notes 2.txt", "notes");
  WriteFile(m_release + "/Über 笔记.txt", "letters");
  Publish();
  EXPECT_EQ(Update(m_server->baseUrl()), Outcome::Updated);
  EXPECT_EQ(ReadFile(m_app + "/my notes 2.txt"), "notes");
  EXPECT_EQ(ReadFile(m_app + "/Über 笔记.txt"), "letters");
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.11.0");
}

TEST_F(UpdaterTest, AFileNamedTwiceRejectsTheUpdateBeforeAnyDownload) {
  const std::string md5 = scrivel::Md5OfBytes("new scrivel");
  WriteFile(m_www + "/download/Version.txt", "1.11.0;scrivel," + md5 + ";libnibdl.so," +
                                                 scrivel::Md5OfBytes("new library") + ";scrivel," + md5 + ";");
  EXPECT_EQ(Update(m_server->baseUrl()), Outcome::Failed);
  ExpectUnchanged();
  EXPECT_EQ(m_server->requestLog().find("download/scrivel"), std::string::npos) << "nothing downloaded";
}

TEST_F(UpdaterTest, NoServerOrAStalledOneLeavesTheIdleWindow) {
  EXPECT_EQ(Update("http://127.0.0.1:1/"), Outcome::NoManifest);
  EXPECT_EQ(Update(m_server->baseUrl() + "fault/stall/"), Outcome::NoManifest);
  ExpectUnchanged();
  EXPECT_TRUE(m_answers.texts().isEmpty());
}

TEST_F(UpdaterTest, ASignedInstallationRefusesUnsignedAndOlderReleases) {
  const std::string key = m_dir.file("key.pem");
  ASSERT_EQ(scrivel::test::Run("/usr/bin/openssl", {"genpkey", "-algorithm", "ed25519", "-out", key}).exitCode, 0);
  // Unsigned release, key configured: refused.
  const std::string otherKey = std::string(64, 'a');
  EXPECT_EQ(Update(m_server->baseUrl(), otherKey), Outcome::Failed);
  ExpectUnchanged();

  // Signed with the right key, but older than what is installed: refused.
  WriteFile(m_app + "/Version.txt", "1.12.0");
  const auto signedRelease = scrivel::test::Run(SCRIVEL_SOURCE_DIR "/tools/scrivel-publish",
                                                {m_dir.file("newapp"), m_www, "--key", key});
  ASSERT_EQ(signedRelease.exitCode, 0) << signedRelease.err;
  const std::string publicKey = signedRelease.out.substr(signedRelease.out.find("public key: ") + 12, 64);
  EXPECT_EQ(Update(m_server->baseUrl(), publicKey), Outcome::Failed);
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.12.0");

  // Signed and newer: installed.
  WriteFile(m_app + "/Version.txt", "1.10.0");
  EXPECT_EQ(Update(m_server->baseUrl(), publicKey), Outcome::Updated);
  EXPECT_EQ(ReadFile(m_app + "/Version.txt"), "1.11.0");
  EXPECT_EQ(ReadFile(m_app + "/scrivel"), "new scrivel");
}

}  // namespace
