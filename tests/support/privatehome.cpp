#include "tests/support/privatehome.h"

#include <cstdlib>
#include <filesystem>

namespace scrivel::test {

PrivateHome::PrivateHome() {
  if (const char* home = std::getenv("HOME")) {
    m_previous = home;
    m_hadPrevious = true;
  }
  char path[] = "/tmp/scrivel-test-home-XXXXXX";
  if (mkdtemp(path) == nullptr) return;
  m_path = path;
  setenv("HOME", path, 1);
}

PrivateHome::~PrivateHome() {
  if (m_path.empty()) return;
  if (m_hadPrevious) setenv("HOME", m_previous.c_str(), 1);
  else unsetenv("HOME");
  std::error_code ignored;
  std::filesystem::remove_all(m_path, ignored);
}

}  // namespace scrivel::test
