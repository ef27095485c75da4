#pragma once
// A pseudo-terminal pair for tests: the test holds the master (the pen's end)
// and names the slave to the module under test.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace scrivel::test {

class Pty {
 public:
  Pty();
  ~Pty();
  Pty(const Pty&) = delete;
  Pty& operator=(const Pty&) = delete;

  bool ok() const { return m_master >= 0 && m_slave >= 0; }
  const std::string& slaveName() const { return m_name; }
  // The test's own descriptor of the slave (for its terminal settings).
  int slave() const { return m_slave; }

  bool Write(const std::vector<uint8_t>& bytes);
  // Reads exactly `length` bytes from the master; fewer on time-out.
  std::vector<uint8_t> Read(size_t length,
                            std::chrono::milliseconds timeout = std::chrono::seconds(10));
  // Hangs up: closes the master.
  void CloseMaster();
  // Puts the line into raw mode (what a hidraw stand-in needs before use).
  bool MakeRaw();

 private:
  int m_master = -1;
  int m_slave = -1;
  std::string m_name;
};

}  // namespace scrivel::test
