#include "tests/support/emulatedlivepen.h"

#include <thread>

namespace scrivel::test {

EmulatedLivePen::EmulatedLivePen(const std::vector<std::string>& args) {
  m_path = m_dir.file("live.sock");
  std::vector<std::string> arguments{"live", "--socket", m_path};
  arguments.insert(arguments.end(), args.begin(), args.end());
  Start(arguments, "[General]\nRouteSource=unix:" + m_path + "\n");
}

int EmulatedLivePen::ScriptsWritten() const {
  const std::string out = m_process->stdoutText();
  int count = 0;
  for (size_t at = out.find("live pen wrote"); at != std::string::npos;
       at = out.find("live pen wrote", at + 1))
    ++count;
  return count;
}

bool EmulatedLivePen::WaitUntilWritten(int hosts, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  while (ScriptsWritten() < hosts) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

}  // namespace scrivel::test
