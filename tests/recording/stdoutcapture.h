#pragma once
// Captures what this process writes on its standard output (file descriptor
// 1) between construction and text(), for the lines the capture prints.

#include <string>

namespace scrivel::test {

class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Everything written so far (standard output stays redirected).
  std::string text();

 private:
  int m_saved = -1;
  std::string m_path;
};

}  // namespace scrivel::test
