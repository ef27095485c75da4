// The start-up update check against a real HTTP server on 127.0.0.1.
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/stat.h>

#include <filesystem>

#include "lang/languagestrings.h"
#include "scrivel/updatecheck.h"
#include "tests/support/dialoganswerer.h"
#include "tests/support/httpserver.h"
#include "tests/support/tempdir.h"

namespace {

using scrivel::test::DialogAnswerer;
using scrivel::test::WriteFile;

// An installation with a stand-in updater that leaves a mark when started.
class UpdateCheckTest : public testing::Test {
 protected:
  void SetUp() override {
    g_strings.Load(SCRIVEL_APP_DIR, 10001, 10008);
    m_app = m_dir.file("app");
    m_www = m_dir.file("www");
    std::filesystem::create_directories(m_www + "/download");
    WriteFile(m_app + "/Version.txt", "1.2.3");
    WriteFile(m_app + "/scrivelupdata", "#!/bin/sh\ntouch \"$(dirname \"$0\")/updater-ran\"\n");
    chmod((m_app + "/scrivelupdata").c_str(), 0755);
    m_server = std::make_unique<scrivel::test::HttpServer>(m_www);
  }
  // Runs a check to its end; returns whether the updater was started.
  bool Check(const std::string& publicKey = "") {
    QWidget window;
    CUpdateCheck check(&window, QString::fromStdString(m_app), m_server->baseUrl(), publicKey);
    QSignalSpy started(&check, &CUpdateCheck::updaterStarted);
    QSignalSpy done(&check, &CUpdateCheck::finished);
    check.Start();
    EXPECT_TRUE(done.wait(20000));
    return started.count() == 1;
  }
  bool UpdaterRan() { return std::filesystem::exists(m_app + "/updater-ran"); }

  scrivel::test::TempDir m_dir;
  std::string m_app, m_www;
  std::unique_ptr<scrivel::test::HttpServer> m_server;
  DialogAnswerer m_answers;
};

TEST_F(UpdateCheckTest, HigherVersionAsksAndYesStartsTheUpdater) {
  WriteFile(m_www + "/download/Version.txt", "1.2.4;scrivel,0123;");
  m_answers.Plan(QMessageBox::Yes);
  EXPECT_TRUE(Check());
  ASSERT_EQ(m_answers.texts().size(), 1);
  EXPECT_EQ(m_answers.texts()[0], g_strings.Get(10008));
  EXPECT_EQ(m_answers.titles()[0], "Scrivel");
  QTRY_VERIFY_WITH_TIMEOUT(UpdaterRan(), 10000);
}

TEST_F(UpdateCheckTest, NoLeavesEverythingAsItIs) {
  WriteFile(m_www + "/download/Version.txt", "2.0.0;");
  m_answers.Plan(QMessageBox::No);
  EXPECT_FALSE(Check());
  EXPECT_EQ(m_answers.texts().size(), 1);
  QTest::qWait(200);
  EXPECT_FALSE(UpdaterRan());
}

TEST_F(UpdateCheckTest, EqualLowerOrUnreachableAskNothing) {
  for (const char* manifest : {"1.2.3;", "1.2.2;a,b;", "0.9.9", "1.2.3"}) {
    WriteFile(m_www + "/download/Version.txt", manifest);
    EXPECT_FALSE(Check()) << manifest;
  }
  std::filesystem::remove(m_www + "/download/Version.txt");  // a 404 page is no version
  EXPECT_FALSE(Check());
  m_server.reset();  // nobody answers
  CUpdateCheck unreachable(nullptr, QString::fromStdString(m_app), "http://127.0.0.1:1/", "");
  QSignalSpy done(&unreachable, &CUpdateCheck::finished);
  unreachable.Start();
  EXPECT_TRUE(done.wait(20000));
  EXPECT_TRUE(m_answers.texts().isEmpty());
}

TEST_F(UpdateCheckTest, MissingLocalVersionCountsAsZero) {
  std::filesystem::remove(m_app + "/Version.txt");
  WriteFile(m_www + "/download/Version.txt", "0.0.1;");
  m_answers.Plan(QMessageBox::No);
  Check();
  EXPECT_EQ(m_answers.texts().size(), 1);
}

TEST_F(UpdateCheckTest, WithAKeyOnlySignedManifestsCount) {
  std::unique_ptr<EVP_PKEY, void (*)(EVP_PKEY*)> key(EVP_PKEY_Q_keygen(nullptr, nullptr, "ED25519"),
                                                     EVP_PKEY_free);
  unsigned char raw[32];
  size_t length = sizeof raw;
  EVP_PKEY_get_raw_public_key(key.get(), raw, &length);
  std::string publicHex;
  for (unsigned char b : raw) publicHex += QString::asprintf("%02x", b).toStdString();

  const std::string manifest = "1.3.0;";
  WriteFile(m_www + "/download/Version.txt", manifest);
  EXPECT_FALSE(Check(publicHex)) << "no signature";
  WriteFile(m_www + "/download/Version.txt.sig", "AAAA");
  EXPECT_FALSE(Check(publicHex)) << "a bad signature";
  EXPECT_TRUE(m_answers.texts().isEmpty());

  std::unique_ptr<EVP_MD_CTX, void (*)(EVP_MD_CTX*)> context(EVP_MD_CTX_new(), EVP_MD_CTX_free);
  EVP_DigestSignInit(context.get(), nullptr, nullptr, nullptr, key.get());
  unsigned char signature[64];
  size_t size = sizeof signature;
  EVP_DigestSign(context.get(), signature, &size, reinterpret_cast<const unsigned char*>(manifest.data()),
                 manifest.size());
  WriteFile(m_www + "/download/Version.txt.sig",
            QByteArray(reinterpret_cast<const char*>(signature), 64).toBase64().toStdString());
  m_answers.Plan(QMessageBox::No);
  Check(publicHex);
  EXPECT_EQ(m_answers.texts().size(), 1) << "a signed manifest is offered";
}

}  // namespace
