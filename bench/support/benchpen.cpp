#include "bench/support/benchpen.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

BenchPen::BenchPen(const std::string& socket, const std::vector<std::string>& memory) {
  int out[2];
  if (pipe(out) != 0) return;
  std::vector<std::string> args{std::string(SCRIVEL_APP_DIR) + "/penemu", "usb", "--socket", socket};
  args.insert(args.end(), memory.begin(), memory.end());
  m_pid = fork();
  if (m_pid == 0) {
    dup2(out[1], 1);
    close(out[0]);
    const int quiet = open("/dev/null", O_WRONLY);
    dup2(quiet, 2);
    std::vector<char*> argv;
    for (auto& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    execv(argv[0], argv.data());
    _exit(127);
  }
  close(out[1]);
  FILE* stream = fdopen(out[0], "r");
  char line[512] = {};
  if (stream != nullptr && std::fgets(line, sizeof line, stream) != nullptr) m_ready = line;
  if (stream != nullptr) std::fclose(stream);
}

BenchPen::~BenchPen() {
  if (m_pid > 0) {
    kill(m_pid, SIGTERM);
    waitpid(m_pid, nullptr, 0);
  }
}

std::optional<long> BenchPen::Packets() const {
  const auto open = m_ready.find('(');
  if (open == std::string::npos) return std::nullopt;
  return std::strtol(m_ready.c_str() + open + 1, nullptr, 10);
}

bool WriteConfig(const std::string& home, const std::string& socket) {
  const std::string dir = home + "/Tavolo Technologies";
  std::filesystem::create_directories(dir);
  std::ofstream(dir + "/VeloRoute.conf") << "[General]\nPort=-1\nUsbDevice=unix:" << socket << "\n";
  return setenv("XDG_CONFIG_HOME", home.c_str(), 1) == 0;
}
