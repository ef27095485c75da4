// Test main for widget tests: a QApplication on the offscreen platform, with
// a screen large enough for every window at its full size (the platform's
// own 800 x 600 screen would make the windows shrink to fit it).
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

#include <unistd.h>

#include "tests/support/offscreenscreen.h"
#include "tests/support/privatehome.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test discovery runs the binary only to list the tests: no application then.
  bool listing = false;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0) listing = true;
  if (listing || testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  // CTest runs the test without the caller's environment: default to offscreen.
  const char* platform = std::getenv("QT_QPA_PLATFORM");
  const std::string config = "/tmp/scrivel-test-screen-" + std::to_string(getpid()) + ".json";
  const bool ownScreen = platform == nullptr || std::strcmp(platform, "offscreen") == 0;
  if (ownScreen) setenv("QT_QPA_PLATFORM", scrivel::test::OffscreenPlatform(1920, 1200, config).c_str(), 1);
  const scrivel::test::PrivateHome home;
  auto app = std::make_unique<QApplication>(argc, argv);
  if (ownScreen) {
    // Child processes of the tests get the plain offscreen platform, as before.
    unlink(config.c_str());
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
  }
  const int result = RUN_ALL_TESTS();
  app.reset();
  return result;
}
