#include "tests/support/emulatedpen.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace scrivel::test {

EmulatedPen::EmulatedPen(const std::string& mode, const std::vector<std::string>& args) {
  const bool usb = mode == "usb";
  m_path = m_dir.file(usb ? "pen.sock" : "pen.tty");
  std::vector<std::string> arguments{mode, usb ? "--socket" : "--link", m_path};
  arguments.insert(arguments.end(), args.begin(), args.end());
  Start(arguments, usb ? "[General]\nPort=-1\nUsbDevice=unix:" + m_path + "\n"
                       : "[General]\nPort=3\nSerialDevice=" + m_path + "\n");
}

void EmulatedPen::Start(const std::vector<std::string>& arguments, const std::string& config) {
  WriteFile(configHome() + "/Tavolo Technologies/VeloRoute.conf", config);
  m_process = std::make_unique<ChildProcess>(AppPath("penemu"), arguments,
                                             std::vector<std::string>{}, m_dir.path());
  m_ready = WaitForPath(m_path, std::chrono::seconds(20));
  if (!m_ready) ADD_FAILURE() << "penemu " << arguments.front() << " did not start: " << m_process->stderrText();
}

void EmulatedPen::UseInThisProcess() const { setenv("XDG_CONFIG_HOME", configHome().c_str(), 1); }

}  // namespace scrivel::test
