#pragma once
// A private pen configuration for one test process.

#include <cstdlib>
#include <string>

#include "tests/support/tempdir.h"

namespace nibdl::test {

// Points XDG_CONFIG_HOME at `dir` and writes the [General] keys given.
inline void UsePenConfig(const scrivel::test::TempDir& dir, const std::string& keys) {
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  scrivel::test::WriteFile(dir.path() + "/Tavolo Technologies/VeloRoute.conf", "[General]\n" + keys);
}

}  // namespace nibdl::test
