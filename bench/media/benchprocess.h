#pragma once
// Running the ffmpeg command line for the benchmark, and keeping the stages'
// stdout lines out of the benchmark's own output.

#include <string>
#include <vector>

namespace scrivel::bench {

// Runs `args` (args[0] is the program path); its stderr goes to `errPath`
// (or nowhere). Returns the wall time in seconds, negative on failure.
double TimeCommand(const std::vector<std::string>& args, const std::string& errPath = {});

// While alive, fd 1 points to /dev/null.
class QuietStdout {
 public:
  QuietStdout();
  ~QuietStdout();
  QuietStdout(const QuietStdout&) = delete;
  QuietStdout& operator=(const QuietStdout&) = delete;

 private:
  int m_saved = -1;
};

}  // namespace scrivel::bench
