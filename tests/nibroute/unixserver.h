#pragma once
// A listening Unix stream socket for tests: it plays the pen emulator's side
// of a live or USB socket. One client at a time.

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace scrivel::test {

class UnixServer {
 public:
  // Binds and listens at `path`; ok() tells whether that worked.
  explicit UnixServer(std::string path);
  ~UnixServer();
  UnixServer(const UnixServer&) = delete;
  UnixServer& operator=(const UnixServer&) = delete;

  bool ok() const { return m_listen >= 0; }
  const std::string& path() const { return m_path; }

  // Accepts the next client (closing the previous one); false on time-out.
  bool Accept(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Writes every byte to the client.
  bool Write(const void* data, size_t length);
  bool Write(const std::vector<uint8_t>& bytes) { return Write(bytes.data(), bytes.size()); }
  // Reads exactly `length` bytes from the client; fewer on time-out or end of file.
  std::vector<uint8_t> Read(size_t length,
                            std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // True when the client closed its end (reads end of file) within the time-out.
  bool WaitForClientClose(std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Hangs up on the client.
  void CloseClient();

 private:
  std::string m_path;
  int m_listen = -1;
  int m_client = -1;
};

}  // namespace scrivel::test
