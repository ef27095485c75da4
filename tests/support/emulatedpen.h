#pragma once
// A pen emulator (penemu) on a private socket or pty, with a private pen
// configuration that points at it, for end-to-end tests.

#include <memory>
#include <string>
#include <vector>

#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {

class EmulatedPen {
 public:
  // Starts "penemu usb --socket <dir>/pen.sock <args...>" or
  // "penemu serial --link <dir>/pen.tty <args...>" and writes
  // "<dir>/config/Tavolo Technologies/VeloRoute.conf" for it.
  EmulatedPen(const std::string& mode, const std::vector<std::string>& args);

  bool ready() const { return m_ready; }
  const std::string& linkPath() const { return m_path; }
  TempDir& dir() { return m_dir; }
  // The environment entry a child process needs to use this pen.
  std::string configEnv() const { return "XDG_CONFIG_HOME=" + configHome(); }
  std::string configHome() const { return m_dir.path() + "/config"; }
  // Points this process's configuration at the pen.
  void UseInThisProcess() const;
  ChildProcess& process() { return *m_process; }

 protected:
  EmulatedPen() = default;
  // Starts penemu with `arguments` (the link's path is m_path) and writes
  // `config` as the pen configuration.
  void Start(const std::vector<std::string>& arguments, const std::string& config);

  TempDir m_dir;
  std::string m_path;
  std::unique_ptr<ChildProcess> m_process;
  bool m_ready = false;
};

}  // namespace scrivel::test
