#pragma once
// A live pen (penemu live) on a private socket, with a private pen
// configuration whose RouteSource points the route library at it.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {

class EmulatedLivePen {
 public:
  // Starts "penemu live --socket <dir>/live.sock <args...>" and writes
  // "<dir>/config/Tavolo Technologies/VeloRoute.conf" with
  // "RouteSource=unix:<dir>/live.sock".
  explicit EmulatedLivePen(const std::vector<std::string>& args);

  bool ready() const { return m_ready; }
  const std::string& socketPath() const { return m_path; }
  TempDir& dir() { return m_dir; }
  std::string configHome() const { return m_dir.path() + "/config"; }
  // Points this process's configuration at the pen.
  void UseInThisProcess() const;
  ChildProcess& process() { return *m_process; }

  // How many hosts penemu has written its whole script to so far.
  int ScriptsWritten() const;
  // Waits until that count reaches `hosts`; false after the time-out.
  bool WaitUntilWritten(int hosts = 1, std::chrono::milliseconds timeout = std::chrono::seconds(60));

 private:
  TempDir m_dir;
  std::string m_path;
  std::unique_ptr<ChildProcess> m_process;
  bool m_ready = false;
};

}  // namespace scrivel::test
