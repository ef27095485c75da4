// Test main for widget tests: a QApplication on the offscreen platform.
#include <QApplication>

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>

int main(int argc, char** argv) {
  testing::InitGoogleTest(&argc, argv);
  // Test discovery runs the binary only to list the tests: no application then.
  bool listing = false;
  for (int i = 1; i < argc; ++i)
    if (std::strncmp(argv[i], "--gtest_list_tests", 18) == 0) listing = true;
  if (listing || testing::GTEST_FLAG(list_tests)) return RUN_ALL_TESTS();
  // CTest runs the test without the caller's environment: default to offscreen.
  setenv("QT_QPA_PLATFORM", "offscreen", 0);
  // Live notes are kept in the documents folder: a private home for the
  // tests' notes, never the user's.
  char home[] = "/tmp/scrivel-test-home-XXXXXX";
  if (mkdtemp(home) != nullptr) setenv("HOME", home, 1);
  auto app = std::make_unique<QApplication>(argc, argv);
  const int result = RUN_ALL_TESTS();
  app.reset();
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return result;
}
