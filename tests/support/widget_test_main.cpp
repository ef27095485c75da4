// Test main for widget tests: a QApplication on the offscreen platform.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>

#include "tests/support/privatehome.h"

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test discovery runs the binary only to list the tests: no application then.
  bool listing = false;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0) listing = true;
  if (listing || testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  // CTest runs the test without the caller's environment: default to offscreen.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  const scrivel::test::PrivateHome home;
  auto app = std::make_unique<QApplication>(argc, argv);
  const int result = RUN_ALL_TESTS();
  app.reset();
  return result;
}
