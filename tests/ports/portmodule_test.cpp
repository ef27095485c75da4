// Both port modules as the download library meets them: loaded with dlopen
// from the app folder, nine entry points, the small ones behaving.

#include <gtest/gtest.h>

#include <cstddef>

#include "tests/ports/porttestsupport.h"

namespace scrivel::test {
namespace {

const char* const kModules[] = {"libNibSer.so", "libNibUSB.so"};

TEST(PortModule, ExportsTheNineEntryPoints) {
  for (const char* name : kModules) {
    SCOPED_TRACE(name);
    const PortModule module = PortModule::Load(name);
    EXPECT_TRUE(module.complete());
  }
}

TEST(PortModule, SmallEntryPointsWithoutAnOpenPort) {
  TempDir config;
  UsePenConfig(config, "");
  PortEvents::Reset();
  for (const char* name : kModules) {
    SCOPED_TRACE(name);
    const PortModule port = PortModule::Load(name);
    ASSERT_TRUE(port.complete());
    EXPECT_EQ(port.version(), PORT_MODULE_VERSION);
    uint32_t version = 0;
    EXPECT_EQ(port.versionEx(&version), 1);
    EXPECT_EQ(version, PORT_MODULE_VERSION);
    EXPECT_EQ(port.versionEx(nullptr), 0);
    EXPECT_EQ(port.open(), 0) << "opening needs PortOpenEx's parameters";
    EXPECT_EQ(port.setBaudRate(115200), 0) << "nothing open";
    EXPECT_EQ(port.initCallBack(&PortEvents::Callback), 1);

    port.close(0);  // never opened: harmless
    port.close(0);
    EXPECT_TRUE(port.Retrieve(64).empty());
    port.Send({0xFF});  // nothing open: dropped
    port.retrieve(nullptr, nullptr);
    uint32_t length = 64;
    port.retrieve(nullptr, &length);
    EXPECT_EQ(length, 0u);
  }
  EXPECT_EQ(PortEvents::DataCount() + PortEvents::GoneCount() + PortEvents::OtherCount(), 0);
}

TEST(PortModule, OpenExChecksTheParameterRecord) {
  // The record keeps its field order with a pointer-sized pfnEvent.
  static_assert(sizeof(void*) != 8 || sizeof(PortOpenExParams) == 56);
  static_assert(sizeof(void*) != 8 || offsetof(PortOpenExParams, dwDeviceType) == 28);
  static_assert(sizeof(void*) != 8 || offsetof(PortOpenExParams, dwPort) == 40);
  for (const char* name : kModules) {
    SCOPED_TRACE(name);
    const PortModule port = PortModule::Load(name);
    ASSERT_TRUE(port.complete());
    EXPECT_EQ(port.openEx(nullptr), 0);
    for (uint32_t size : {0u, 52u, static_cast<uint32_t>(sizeof(PortOpenExParams)) + 4}) {
      PortOpenExParams params{};
      params.cbSize = size;
      params.pfnEvent = &PortEvents::Callback;
      params.dwDeviceType = 0x77;
      EXPECT_EQ(port.openEx(&params), 0) << size;
      EXPECT_EQ(params.dwDeviceType, 0x77u) << "untouched on failure";
    }
  }
}

}  // namespace
}  // namespace scrivel::test
