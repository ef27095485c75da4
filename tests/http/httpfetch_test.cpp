#include "http/httpfetch.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <netinet/in.h>
#include <unistd.h>

#include <filesystem>

#include "tests/support/httpserver.h"
#include "tests/support/tempdir.h"

namespace scrivel {
namespace {

using test::HttpServer;
using test::ReadFile;
using test::TempDir;
using test::WriteFile;

// Short limits so a fault ends quickly; the defaults are what the programs use.
const FetchLimits kQuick{std::chrono::milliseconds(2000), std::chrono::milliseconds(2000)};

class HttpFetch : public testing::Test {
 protected:
  HttpFetch() : m_root(m_dir.file("www")) {
    std::filesystem::create_directories(m_root);
    m_server = std::make_unique<HttpServer>(m_root);
  }
  std::string Url(const std::string& path) const { return m_server->baseUrl() + path; }

  TempDir m_dir;
  std::string m_root;
  std::unique_ptr<HttpServer> m_server;
};

TEST_F(HttpFetch, TextComesBackWhole) {
  WriteFile(m_root + "/download/Version.txt", "1.0");
  EXPECT_EQ(FetchText(Url("download/Version.txt")), "1.0");

  // Larger than one 65,536-byte chunk.
  const std::string big = FetchText(Url("fault/big/200000"), kQuick);
  ASSERT_EQ(big.size(), 200000u);
  for (size_t i = 0; i < big.size(); i += 4099) EXPECT_EQ(static_cast<unsigned char>(big[i]), i % 256);
}

TEST_F(HttpFetch, ErrorPagesAreContent) {
  EXPECT_EQ(FetchText(Url("fault/status/404"), kQuick), "<html>error 404</html>");
  EXPECT_EQ(FetchText(Url("fault/status/500"), kQuick), "<html>error 500</html>");
}

TEST_F(HttpFetch, RequestsBypassCachesAndCarryTheAgent) {
  const std::string text = FetchText(Url("fault/headers"), kQuick);
  EXPECT_NE(text.find("User-Agent: Agent"), std::string::npos) << text;
  EXPECT_NE(text.find("Cache-Control: no-cache"), std::string::npos) << text;
  EXPECT_NE(text.find("Pragma: no-cache"), std::string::npos) << text;

  const std::string saved = m_dir.file("headers.txt");
  ASSERT_EQ(FetchFile(Url("fault/headers"), saved, kQuick), 0);
  const std::string fileHeaders = ReadFile(saved);
  EXPECT_NE(fileHeaders.find("Accept: */*"), std::string::npos) << fileHeaders;
  EXPECT_EQ(fileHeaders.find("User-Agent: Agent"), std::string::npos) << fileHeaders;
}

TEST_F(HttpFetch, FileReplacesAnExistingFile) {
  WriteFile(m_root + "/download/a.bin", std::string("new content"));
  const std::string local = m_dir.file("a.bin");
  WriteFile(local, std::string(100000, 'x'));
  ASSERT_EQ(FetchFile(Url("download/a.bin"), local), 0);
  EXPECT_EQ(ReadFile(local), "new content");

  ASSERT_EQ(FetchFile(Url("fault/big/50000"), local, kQuick), 0);
  EXPECT_EQ(std::filesystem::file_size(local), 50000u);
}

TEST_F(HttpFetch, FailuresAreReported) {
  EXPECT_EQ(FetchText(Url("fault/truncated"), kQuick), "Error");
  EXPECT_EQ(FetchFile(Url("fault/truncated"), m_dir.file("t.bin"), kQuick), -1);
  EXPECT_EQ(FetchFile(Url("download/x"), "/nonexistent-folder/x", kQuick), -1);
  EXPECT_EQ(FetchText("not a url at all", kQuick), "Error");
}

TEST_F(HttpFetch, StalledAndSilentServersEnd) {
  // Both would hang forever without the stall limit.
  EXPECT_EQ(FetchText(Url("fault/stall"), kQuick), "Error");
  EXPECT_EQ(FetchFile(Url("fault/hang"), m_dir.file("h.bin"), kQuick), -1);
}

TEST(HttpFetchOffline, NoServerGivesError) {
  // A port that was just free: nobody listens there.
  const int probe = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(probe, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  socklen_t length = sizeof address;
  getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
  close(probe);
  const std::string url = "http://127.0.0.1:" + std::to_string(ntohs(address.sin_port)) + "/x";
  EXPECT_EQ(FetchText(url, kQuick), "Error");
  TempDir dir;
  EXPECT_EQ(FetchFile(url, dir.file("x"), kQuick), -1);
}

}  // namespace
}  // namespace scrivel
