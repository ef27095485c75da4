// The exports' return codes and state machine, with no pen behind them. Each
// case runs in a process of its own, so the library starts fresh every time.

#include "nibdl/nibdl.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <string>

#include "nibroute/nibroute.h"
#include "tests/nibdl/penconfigfile.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace nibdl::test {
namespace {

using scrivel::test::AppPath;
using scrivel::test::TempDir;

struct Call {
  const char* name;
  std::function<uint32_t()> call;
};

// Every export that checks the connection.
std::vector<Call> ConnectionCalls() {
  static int count = 0;
  static DUVOPAGE* points = nullptr;
  return {
      {"DUVOCloseDevice", [] { return DUVOCloseDevice(); }},
      {"DUVORequestData", [] { return DUVORequestData(nullptr, nullptr); }},
      {"DUVOGetPageCount", [] { return DUVOGetPageCount(&count); }},
      {"DUVOGetPage", [] { return DUVOGetPage(1, &points, &count); }},
      {"DUVOFreePage", [] { return DUVOFreePage(nullptr); }},
      {"DUVOSetRawMode", [] { return DUVOSetRawMode(0); }},
      {"DUVOEraseAllPages", [] { return DUVOEraseAllPages(); }},
      {"DUVOSaveBinaryData", [] { return DUVOSaveBinaryData(); }},
  };
}

bool ModulesBuilt() {
  return access(AppPath("libNibUSB.so").c_str(), F_OK) == 0 &&
         access(AppPath("libNibSer.so").c_str(), F_OK) == 0;
}

uint32_t Orientation() {
  uint32_t value = 99;
  ZMTGetProperty(0, ZMT_PROP_ORIENTATION, &value);
  return value;
}

TEST(Exports, DllVersionNeedsNothing) { EXPECT_EQ(DUVOGetDLLVersion(), 0x01000E00u); }

TEST(Exports, InitAcceptsInterfaceVersionsUpToItsOwn) {
  struct Row {
    uint32_t version;
    uint32_t expected;
  };
  const Row rows[] = {{0x01000E00, DUVO_OK},           {0, DUVO_OK},
                      {0x01000DFF, DUVO_OK},           {0x01000E01, DUVO_E_BADVERSION},
                      {0x80000000, DUVO_E_BADVERSION}, {0xFFFFFFFF, DUVO_E_BADVERSION}};
  for (const Row& row : rows) EXPECT_EQ(DUVOInit(row.version), row.expected) << std::hex << row.version;
}

TEST(Exports, RefusedInitClearsTheMark) {
  ASSERT_EQ(DUVOInit(DUVO_INTERFACE_VERSION), DUVO_OK);
  EXPECT_EQ(DUVOUpdateFirmware(nullptr), DUVO_OK);
  EXPECT_EQ(DUVOInit(0x01000E01), DUVO_E_BADVERSION);
  EXPECT_EQ(DUVOOpenDevice(nullptr), DUVO_E_NOTINIT);
  EXPECT_EQ(DUVOUpdateFirmware(nullptr), DUVO_E_NOTINIT);
}

TEST(Exports, ConnectionCheckBeforeInitAndBeforeOpen) {
  TempDir dir;
  UsePenConfig(dir, "Port=-1\nUsbDevice=unix:" + dir.file("nobody") + "\n");
  for (const Call& c : ConnectionCalls()) EXPECT_EQ(c.call(), DUVO_E_NOTINIT) << c.name << " before DUVOInit";
  EXPECT_EQ(DUVOOpenDevice(nullptr), DUVO_E_NOTINIT);
  EXPECT_EQ(DUVOUpdateFirmware(nullptr), DUVO_E_NOTINIT);

  ASSERT_EQ(DUVOInit(DUVO_INTERFACE_VERSION), DUVO_OK);
  for (const Call& c : ConnectionCalls()) EXPECT_EQ(c.call(), DUVO_E_NOTOPEN) << c.name << " before DUVOOpenDevice";
  EXPECT_EQ(DUVOUpdateFirmware(nullptr), DUVO_OK);
}

TEST(Exports, MissingPortKeyFailsTheOpen) {
  TempDir dir;
  UsePenConfig(dir, "UsbDevice=unix:/nowhere\n");
  ASSERT_EQ(DUVOInit(DUVO_INTERFACE_VERSION), DUVO_OK);
  EXPECT_EQ(DUVOOpenDevice(nullptr), DUVO_E_NOTINIT);
  int count = -1;
  EXPECT_EQ(DUVOGetPageCount(&count), DUVO_E_NOTOPEN);
}

TEST(Exports, MissingConfigurationFileFailsTheOpen) {
  TempDir dir;
  setenv("XDG_CONFIG_HOME", dir.path().c_str(), 1);
  ASSERT_EQ(DUVOInit(DUVO_INTERFACE_VERSION), DUVO_OK);
  EXPECT_EQ(DUVOOpenDevice(nullptr), DUVO_E_NOTINIT);
}

TEST(Exports, PortThatDoesNotOpenLeavesTheLibraryClosed) {
  if (!ModulesBuilt()) GTEST_SKIP() << "port modules not built";
  struct Row {
    const char* keys;
  };
  TempDir dir;
  const std::string rows[] = {
      "Port=-1\nUsbDevice=unix:" + dir.file("no-pen-here") + "\n",
      "Port=4294967295\nUsbDevice=unix:" + dir.file("no-pen-here") + "\n",
      "Port=3\nSerialDevice=" + dir.file("no-tty-here") + "\n",
  };
  ASSERT_EQ(DUVOInit(DUVO_INTERFACE_VERSION), DUVO_OK);
  for (const std::string& keys : rows) {
    UsePenConfig(dir, keys);
    ASSERT_GE(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), 0);
    ZMTSetProperty(0, ZMT_PROP_ORIENTATION, 7);
    EXPECT_EQ(DUVOOpenDevice(nullptr), DUVO_E_NOTOPEN) << keys;
    EXPECT_EQ(Orientation(), 0u) << "written to 1 for the open, back to 0 after it failed";
    EXPECT_EQ(DUVOCloseDevice(), DUVO_E_NOTOPEN);
    EXPECT_EQ(DUVOSetRawMode(0), DUVO_E_NOTOPEN);
  }
}

TEST(Exports, PageQueriesWithoutPagesAreEmpty) {
  setenv("TZ", "UTC", 1);
  tzset();
  for (int index : {-5, 0, 1, 2, 200, 201}) {
    char text[22 + 4];
    std::memset(text, '#', sizeof text);
    int minutes = -1;
    EXPECT_EQ(DUVOGetTimeStamp(index, text, &minutes), DUVO_OK);
    EXPECT_EQ(minutes, 0);
    EXPECT_STREQ(text, "(2008/01/01 00:00:00)");
    EXPECT_EQ(text[22], '#');
    EXPECT_EQ(DUVOGetTimeStamp(index, nullptr, nullptr), DUVO_OK);
    EXPECT_EQ(DUVOIsPageFlipped(index), 0u);
    EXPECT_EQ(DUVOIsPageUploaded(index), 0u);
  }
}

TEST(Exports, DeviceVersionWithoutAPenTimesOut) {
  DUVOVERSION version{};
  EXPECT_EQ(DUVOGetDeviceVersion(&version), DUVO_E_TIMEOUT);
  ASSERT_EQ(DUVOInit(DUVO_INTERFACE_VERSION), DUVO_OK);
  EXPECT_EQ(DUVOGetDeviceVersion(&version), DUVO_E_TIMEOUT);
  EXPECT_EQ(DUVOGetDeviceVersion(nullptr), DUVO_E_TIMEOUT);
}

}  // namespace
}  // namespace nibdl::test
