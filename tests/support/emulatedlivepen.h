#pragma once
// A live pen (penemu live) on a private socket, with a private pen
// configuration whose RouteSource points the route library at it.

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "tests/support/emulatedpen.h"

namespace scrivel::test {

class EmulatedLivePen : public EmulatedPen {
 public:
  // Starts "penemu live --socket <dir>/live.sock <args...>" and writes
  // "<dir>/config/Tavolo Technologies/VeloRoute.conf" with
  // "RouteSource=unix:<dir>/live.sock".
  explicit EmulatedLivePen(const std::vector<std::string>& args);

  const std::string& socketPath() const { return linkPath(); }

  // How many hosts penemu has written its whole script to so far.
  int ScriptsWritten() const;
  // Waits until that count reaches `hosts`; false after the time-out.
  bool WaitUntilWritten(int hosts = 1, std::chrono::milliseconds timeout = std::chrono::seconds(60));
};

}  // namespace scrivel::test
