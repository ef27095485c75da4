// Test main for tests with emulated devices: umockdev's preload library must
// be in the process from its start, so the binary runs itself again under
// umockdev-wrapper when it is not there yet (also when CTest lists its tests).
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tests/support/privatehome.h"

namespace {

bool PreloadActive() {
  const char* preload = std::getenv("LD_PRELOAD");
  return preload != nullptr && std::strstr(preload, "libumockdev-preload") != nullptr;
}

}  // namespace

// LeakSanitizer (the asan build): what umockdev and GLib keep for the life of
// the process is theirs, not a leak of ours.
extern "C" const char* __lsan_default_suppressions() {
  return "leak:libumockdev.so\nleak:libumockdev-preload.so\nleak:libglib-2.0.so\n"
         "leak:libgobject-2.0.so\nleak:libgio-2.0.so\n";
}

int main(int argc, char** argv) {
  if (!PreloadActive()) {
    // AddressSanitizer insists on coming first among preloaded libraries.
    std::string asan = "verify_asan_link_order=0";
    if (const char* options = std::getenv("ASAN_OPTIONS")) asan = std::string(options) + ":" + asan;
    setenv("ASAN_OPTIONS", asan.c_str(), 1);
    std::vector<char*> args{const_cast<char*>("umockdev-wrapper")};
    args.insert(args.end(), argv, argv + argc);
    args.push_back(nullptr);
    execvp(args[0], args.data());
    std::perror("umockdev-wrapper");
    return 1;
  }
  testing::InitGoogleTest(&argc, argv);
  const scrivel::test::PrivateHome home;
  return RUN_ALL_TESTS();
}
