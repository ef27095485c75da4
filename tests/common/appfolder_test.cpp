#include "common/appfolder.h"

#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>

namespace scrivel {
namespace {

TEST(AppFolder, IsTheFolderOfTheRunningExecutable) {
  const std::string folder = AppFolder();
  ASSERT_FALSE(folder.empty());
  EXPECT_EQ(folder, std::filesystem::canonical("/proc/self/exe").parent_path().string());
  EXPECT_NE(folder.back(), '/');
}

TEST(AppFolder, DoesNotDependOnTheCurrentDirectory) {
  const std::string before = AppFolder();
  const auto cwd = std::filesystem::current_path();
  ASSERT_EQ(chdir("/"), 0);
  EXPECT_EQ(AppFolder(), before);
  std::filesystem::current_path(cwd);
}

TEST(AppFolder, ModuleFolderOfAFunctionInTheExecutable) {
  EXPECT_EQ(ModuleFolder(reinterpret_cast<const void*>(&AppFolder)), AppFolder());
  EXPECT_EQ(ModuleFolder(nullptr), "");
}

TEST(AppFolder, DirName) {
  EXPECT_EQ(DirName("/a/b/c"), "/a/b");
  EXPECT_EQ(DirName("/c"), "/");
  EXPECT_EQ(DirName("c"), ".");
}

}  // namespace
}  // namespace scrivel
