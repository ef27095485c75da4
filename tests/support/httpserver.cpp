#include "tests/support/httpserver.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/tempdir.h"

namespace scrivel::test {

HttpServer::HttpServer(const std::string& root) : m_root(root) {
  const std::string portFile = std::filesystem::path(root).parent_path() / "http.port";
  std::filesystem::remove(portFile);
  m_process = std::make_unique<ChildProcess>(
      "/usr/bin/python3",
      std::vector<std::string>{std::string(SCRIVEL_SOURCE_DIR) + "/tests/support/httpserver.py",
                               root, portFile});
  if (!WaitForPath(portFile, std::chrono::seconds(20))) {
    ADD_FAILURE() << "the HTTP server did not start: " << m_process->stderrText();
    return;
  }
  m_port = std::stoi(ReadFile(portFile));
}

std::string HttpServer::baseUrl() const {
  return "http://127.0.0.1:" + std::to_string(m_port) + "/";
}

std::string HttpServer::requestLog() const {
  return ReadFile((std::filesystem::path(m_root).parent_path() / "requests.log").string());
}

}  // namespace scrivel::test
