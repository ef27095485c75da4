#include "tests/support/process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <thread>

#include "tests/support/tempdir.h"

extern char** environ;

namespace scrivel::test {

std::string AppPath(const std::string& name) { return std::string(SCRIVEL_APP_DIR) + "/" + name; }

namespace {

int DecodeStatus(int status) {
  if (WIFEXITED(status)) return WEXITSTATUS(status);
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return -1;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& args,
                           const std::vector<std::string>& extraEnv, const std::string& logDir) {
  static int counter = 0;
  const std::string dir = logDir.empty() ? std::filesystem::temp_directory_path().string() : logDir;
  const std::string stem = dir + "/child-" + std::to_string(getpid()) + "-" + std::to_string(counter++);
  m_outPath = stem + ".out";
  m_errPath = stem + ".err";

  std::vector<std::string> envStrings;
  for (char** e = environ; *e != nullptr; ++e) envStrings.emplace_back(*e);
  for (const auto& entry : extraEnv) {
    const auto name = entry.substr(0, entry.find('=') + 1);
    std::erase_if(envStrings, [&](const std::string& s) { return s.rfind(name, 0) == 0; });
    envStrings.push_back(entry);
  }
  std::vector<char*> argv{const_cast<char*>(program.c_str())};
  for (const auto& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  std::vector<char*> envp;
  for (auto& s : envStrings) envp.push_back(s.data());
  envp.push_back(nullptr);

  m_pid = fork();
  if (m_pid == 0) {
    const int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    const int out = open(m_outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    const int err = open(m_errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    dup2(out, 1);
    dup2(err, 2);
    setpgid(0, 0);
    execve(program.c_str(), argv.data(), envp.data());
    dprintf(2, "cannot start %s: %s\n", program.c_str(), std::strerror(errno));
    _exit(127);
  }
}

ChildProcess::~ChildProcess() {
  if (m_pid > 0 && !m_reaped) stop();
  std::error_code ignored;
  std::filesystem::remove(m_outPath, ignored);
  std::filesystem::remove(m_errPath, ignored);
}

bool ChildProcess::running() {
  if (m_pid <= 0 || m_reaped) return false;
  int status = 0;
  if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
    m_reaped = true;
    m_status = DecodeStatus(status);
    return false;
  }
  return true;
}

int ChildProcess::wait(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (running()) {
    if (std::chrono::steady_clock::now() >= deadline) return -1;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return m_status;
}

int ChildProcess::stop() {
  if (!running()) return m_status;
  kill(m_pid, SIGTERM);
  if (wait(std::chrono::seconds(3)) == -1) {
    kill(m_pid, SIGKILL);
    wait(std::chrono::seconds(3));
  }
  return m_status;
}

std::string ChildProcess::stdoutText() const { return ReadFile(m_outPath); }
std::string ChildProcess::stderrText() const { return ReadFile(m_errPath); }

RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::vector<std::string>& extraEnv, std::chrono::milliseconds timeout) {
  ChildProcess child(program, args, extraEnv);
  RunResult result;
  result.exitCode = child.wait(timeout);
  if (result.exitCode == -1) child.stop();
  result.out = child.stdoutText();
  result.err = child.stderrText();
  return result;
}

bool WaitForPath(const std::string& path, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  struct stat st;
  while (lstat(path.c_str(), &st) != 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace scrivel::test
