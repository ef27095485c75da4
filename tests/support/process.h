#pragma once
// Child processes for end-to-end tests: a program from the application folder
// (or any path), started with an argument list, stopped when the object dies.

#include <chrono>
#include <string>
#include <vector>

#include <sys/types.h>

namespace scrivel::test {

// The full path of a program or library in the build's application folder.
std::string AppPath(const std::string& name);

class ChildProcess {
 public:
  // Starts `program` with `args`; extra environment entries are "NAME=value".
  // stdout and stderr go to files inside `logDir` when it is given.
  ChildProcess(const std::string& program, const std::vector<std::string>& args,
               const std::vector<std::string>& extraEnv = {}, const std::string& logDir = {});
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  pid_t pid() const { return m_pid; }
  bool running();
  // Waits for the process to end; returns its exit code, 128 + signal when it
  // was killed, or -1 on time-out (the process keeps running then).
  int wait(std::chrono::milliseconds timeout = std::chrono::seconds(30));
  // SIGTERM, then SIGKILL after a grace period; returns the exit status as wait().
  int stop();
  std::string stdoutText() const;
  std::string stderrText() const;

 private:
  pid_t m_pid = -1;
  int m_status = -1;
  bool m_reaped = false;
  std::string m_outPath, m_errPath;
};

// Runs a program to its end and returns its exit code; output captured.
struct RunResult {
  int exitCode = -1;
  std::string out, err;
};
RunResult Run(const std::string& program, const std::vector<std::string>& args,
              const std::vector<std::string>& extraEnv = {},
              std::chrono::milliseconds timeout = std::chrono::seconds(60));

// Polls until `path` exists; false after the time-out.
bool WaitForPath(const std::string& path,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));

}  // namespace scrivel::test
