#pragma once
// A real HTTP server on 127.0.0.1 for a test: serves `root` and injects faults
// (see httpserver.py). Stopped when the object goes away.

#include <memory>
#include <string>

#include "tests/support/process.h"

namespace scrivel::test {

class HttpServer {
 public:
  explicit HttpServer(const std::string& root);
  int port() const { return m_port; }
  // "http://127.0.0.1:<port>/"
  std::string baseUrl() const;
  // The request lines the server saw, one per line ("GET /path").
  std::string requestLog() const;

 private:
  std::string m_root;
  int m_port = 0;
  std::unique_ptr<ChildProcess> m_process;
};

}  // namespace scrivel::test
