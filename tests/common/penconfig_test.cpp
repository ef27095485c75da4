#include "common/penconfig.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/tempdir.h"

namespace scrivel {
namespace {

using test::TempDir;
using test::WriteFile;

TEST(PenConfig, AbsentFileGivesNoValues) {
  TempDir dir;
  const PenConfig config = ReadPenConfig(dir.file("missing.conf"));
  EXPECT_FALSE(config.port.has_value());
  EXPECT_FALSE(config.serialDevice.has_value());
  EXPECT_FALSE(config.usbDevice.has_value());
  EXPECT_FALSE(config.routeSource.has_value());
}

TEST(PenConfig, ReadsKeysOfTheGeneralSectionOnly) {
  TempDir dir;
  WriteFile(dir.file("a.conf"),
            "; written by hand\n"
            "# another comment\n"
            "[General]\n"
            "Port=-1\n"
            "UsbDevice=unix:/tmp/pen sock\n"
            "RouteSource=\"evdev:auto\"\n"
            "UsbVendorId=1a2b\n"
            "UsbProductId=\"00C4\"\n"
            "[Other]\n"
            "SerialDevice=/dev/ttyUSB0\n");
  const PenConfig config = ReadPenConfig(dir.file("a.conf"));
  ASSERT_TRUE(config.port.has_value());
  EXPECT_EQ(*config.port, -1);
  EXPECT_EQ(config.usbDevice.value_or(""), "unix:/tmp/pen sock");
  EXPECT_EQ(config.routeSource.value_or(""), "evdev:auto");
  EXPECT_EQ(config.usbVendorId.value_or(""), "1a2b");
  EXPECT_EQ(config.usbProductId.value_or(""), "00C4");
  EXPECT_FALSE(config.serialDevice.has_value()) << "keys of other sections are not ours";
}

TEST(PenConfig, AbsentKeyIsNotZero) {
  TempDir dir;
  WriteFile(dir.file("b.conf"), "[General]\nSerialDevice=/dev/ttyS3\n");
  const PenConfig config = ReadPenConfig(dir.file("b.conf"));
  EXPECT_FALSE(config.port.has_value());
  EXPECT_EQ(config.serialDevice.value_or(""), "/dev/ttyS3");
}

TEST(PenConfig, PortValues) {
  struct Row {
    const char* text;
    std::optional<int32_t> expected;
  };
  const Row rows[] = {
      {"-1", -1},         {"3", 3},
      {"0", 0},           {"4294967295", -1},  // a DWORD 0xFFFFFFFF
      {"-7", -7},         {"2147483647", 2147483647},
      {"", std::nullopt}, {"abc", std::nullopt},
      {"3x", std::nullopt}, {"4294967296", std::nullopt},
      {"-2147483649", std::nullopt},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(ParsePortValue(row.text), row.expected);
  }
}

TEST(PenConfig, UnreadablePortIsAbsent) {
  TempDir dir;
  WriteFile(dir.file("c.conf"), "[General]\nPort=serial\n");
  EXPECT_FALSE(ReadPenConfig(dir.file("c.conf")).port.has_value());
}

TEST(PenConfig, PathHonoursXdgConfigHome) {
  const char* oldXdg = std::getenv("XDG_CONFIG_HOME");
  const std::string saved = oldXdg ? oldXdg : "";
  TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  EXPECT_EQ(PenConfigPath(), dir.path() + "/Tavolo Technologies/VeloRoute.conf");
  WriteFile(PenConfigPath(), "[General]\nPort=5\n");
  EXPECT_EQ(ReadPenConfig().port.value_or(0), 5);

  unsetenv("XDG_CONFIG_HOME");
  const char* home = std::getenv("HOME");
  if (home != nullptr) {
    EXPECT_EQ(PenConfigPath(), std::string(home) + "/.config/Tavolo Technologies/VeloRoute.conf");
  }
  if (oldXdg) setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
}

}  // namespace
}  // namespace scrivel
