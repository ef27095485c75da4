#include "tests/recording/stdoutcapture.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "tests/support/tempdir.h"

namespace scrivel::test {

StdoutCapture::StdoutCapture() {
  char path[] = "/tmp/scrivel-stdout-XXXXXX";
  const int fd = mkstemp(path);
  if (fd < 0) return;
  m_path = path;
  std::fflush(stdout);
  m_saved = dup(1);
  dup2(fd, 1);
  close(fd);
}

StdoutCapture::~StdoutCapture() {
  if (m_saved < 0) return;
  std::fflush(stdout);
  dup2(m_saved, 1);
  close(m_saved);
  std::filesystem::remove(m_path);
}

std::string StdoutCapture::text() {
  std::fflush(stdout);
  return m_path.empty() ? std::string() : ReadFile(m_path);
}

}  // namespace scrivel::test
