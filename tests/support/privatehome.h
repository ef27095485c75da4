#pragma once
// A private home folder for a test run: live notes are kept in the user's
// documents folder, so tests that open a live note must never reach the real
// one. HOME points at a new temporary folder while the object lives.

#include <string>

namespace scrivel::test {

class PrivateHome {
 public:
  PrivateHome();
  ~PrivateHome();
  PrivateHome(const PrivateHome&) = delete;
  PrivateHome& operator=(const PrivateHome&) = delete;

 private:
  std::string m_path;
  std::string m_previous;
  bool m_hadPrevious = false;
};

}  // namespace scrivel::test
