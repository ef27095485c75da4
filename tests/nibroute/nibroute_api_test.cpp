// The route library's state without a live source: initialisation, version,
// properties, receivers and their handles, empty queues, uninitialisation.

#include <gtest/gtest.h>

#include <cstring>

#include "nibroute/nibroute.h"
#include "tests/nibroute/routetestsupport.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {
namespace {

class RouteApi : public ::testing::Test {
 protected:
  void SetUp() override { UsePenConfig(m_config, ""); }
  void TearDown() override { ZMTUninit(); }

  int32_t Open(FakeWindow& window) {
    const ReceiverInfo info = window.Info();
    int32_t handle = -1;
    EXPECT_EQ(ZMTOpenReceiver(&info, &handle), ZMT_OK);
    return handle;
  }

  TempDir m_config;
};

TEST_F(RouteApi, InitialisationAcceptsTheInterfaceVersionOrOlder) {
  struct Row {
    uint32_t version;
    int32_t expected;
  };
  const Row rows[] = {
      {ZMT_INTERFACE_VERSION, ZMT_OK},
      {ZMT_INTERFACE_VERSION - 1, ZMT_OK},
      {0x01000E00u, ZMT_OK},
      {ZMT_INTERFACE_VERSION + 1, ZMT_E_BADVERSION},
      {0xFFFFFFFFu, ZMT_E_BADVERSION},
  };
  for (const Row& row : rows) {
    ZMTUninit();
    EXPECT_EQ(ZMTInitEx(row.version, 0), row.expected) << std::hex << row.version;
    uint32_t value = 7;
    EXPECT_EQ(ZMTGetProperty(0, 1, &value) >= 0, row.expected == ZMT_OK) << std::hex << row.version;
  }
}

TEST_F(RouteApi, EverythingButInitFailsBeforeInit) {
  FakeWindow window;
  const ReceiverInfo info = window.Info();
  int32_t handle = -1;
  uint32_t value = 0;
  ZMTEvent event{};
  EXPECT_EQ(ZMTOpenReceiver(&info, &handle), ZMT_E_NOTINIT);
  EXPECT_EQ(handle, -1);
  EXPECT_EQ(ZMTSetProperty(0, 0x103, 1), ZMT_E_NOTINIT);
  EXPECT_EQ(ZMTGetProperty(0, 0x103, &value), ZMT_E_NOTINIT);
  EXPECT_EQ(ZMTGetEvent(1, &event), ZMT_E_NOTINIT);
  EXPECT_EQ(ZMTActivate(1), ZMT_E_NOTINIT);
  EXPECT_EQ(ZMTDeactivate(1), ZMT_E_NOTINIT);
  EXPECT_EQ(ZMTConnect(0, 0x100, 0), ZMT_E_NOTINIT);
  EXPECT_EQ(ZMTIsConnected(), 0);
  ZMTUninit();  // harmless without init
}

TEST_F(RouteApi, InitialisingAgainKeepsTheState) {
  ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  FakeWindow window;
  const int32_t handle = Open(window);
  ASSERT_EQ(ZMTSetProperty(0, 0x103, 1), ZMT_OK);
  ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  uint32_t value = 0;
  EXPECT_EQ(ZMTGetProperty(0, 0x103, &value), ZMT_OK);
  EXPECT_EQ(value, 1u);
  EXPECT_EQ(ZMTGetProperty(handle, 1, &value), ZMT_OK) << "the receiver survives";
}

TEST_F(RouteApi, VersionRecordIsFilledOnlyWhenItsSizeIs40) {
  static_assert(sizeof(ZMTVersion) == 40);
  ZMTVersion version{};
  version.size = 40;
  std::memset(version.reserved, 0xAB, sizeof version.reserved);
  ZMTGetVersion(&version);
  EXPECT_EQ(version.size, 40u);
  EXPECT_EQ(version.major, ZMT_VERSION_MAJOR);
  EXPECT_EQ(version.minor, ZMT_VERSION_MINOR);
  EXPECT_EQ(version.build, ZMT_VERSION_BUILD);
  for (uint8_t byte : version.reserved) EXPECT_EQ(byte, 0);

  ZMTVersion wrong{};
  wrong.size = 16;
  ZMTGetVersion(&wrong);
  EXPECT_EQ(wrong.major, 0u);
  ZMTGetVersion(nullptr);
}

TEST_F(RouteApi, PropertiesAreKeptPerHandleAndUnknownOnesReadZero) {
  ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  FakeWindow a, b;
  const int32_t ha = Open(a);
  const int32_t hb = Open(b);

  struct Row {
    int32_t handle;
    uint32_t property;
    uint32_t value;
  };
  const Row writes[] = {
      {0, ZMT_PROP_ORIENTATION, 1}, {0, ZMT_PROP_POSITION, 3},   {ha, ZMT_PROP_RECEIVE_EVENTS, 1},
      {ha, ZMT_PROP_PEN_MODE, 2},   {hb, ZMT_PROP_PEN_MODE, 1},  {hb, 0xFFFFFFFFu, 0xDEADBEEFu},
  };
  for (const Row& w : writes) EXPECT_EQ(ZMTSetProperty(w.handle, w.property, w.value), ZMT_OK);

  const Row reads[] = {
      {0, ZMT_PROP_ORIENTATION, 1},  {0, ZMT_PROP_POSITION, 3},     {0, ZMT_PROP_ORIENTABLE, 0},
      {0, ZMT_PROP_PEN_MODE, 0},     {ha, ZMT_PROP_RECEIVE_EVENTS, 1}, {ha, ZMT_PROP_PEN_MODE, 2},
      {ha, ZMT_PROP_ORIENTATION, 0}, {hb, ZMT_PROP_RECEIVE_EVENTS, 0}, {hb, ZMT_PROP_PEN_MODE, 1},
      {hb, 0xFFFFFFFFu, 0xDEADBEEFu}, {ha, 0xFFFFFFFFu, 0},          {0, 12345, 0},
  };
  for (const Row& r : reads) {
    uint32_t value = 0x55555555;
    EXPECT_EQ(ZMTGetProperty(r.handle, r.property, &value), ZMT_OK);
    EXPECT_EQ(value, r.value) << "handle " << r.handle << " property " << r.property;
  }

  // Writing again replaces the value.
  EXPECT_EQ(ZMTSetProperty(ha, ZMT_PROP_PEN_MODE, 1), ZMT_OK);
  uint32_t value = 0;
  EXPECT_EQ(ZMTGetProperty(ha, ZMT_PROP_PEN_MODE, &value), ZMT_OK);
  EXPECT_EQ(value, 1u);
}

TEST_F(RouteApi, UnknownHandlesAndBadArgumentsAreRefused) {
  ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  FakeWindow window;
  const int32_t handle = Open(window);
  uint32_t value = 0;
  ZMTEvent event{};
  for (int32_t bad : {handle + 1, -1, 1000}) {
    EXPECT_EQ(ZMTSetProperty(bad, 1, 1), ZMT_E_BADHANDLE) << bad;
    EXPECT_EQ(ZMTGetProperty(bad, 1, &value), ZMT_E_BADHANDLE) << bad;
    EXPECT_EQ(ZMTGetEvent(bad, &event), ZMT_E_BADHANDLE) << bad;
    EXPECT_EQ(ZMTActivate(bad), ZMT_E_BADHANDLE) << bad;
    EXPECT_EQ(ZMTDeactivate(bad), ZMT_E_BADHANDLE) << bad;
  }
  EXPECT_LT(ZMTGetEvent(0, &event), 0) << "the library itself has no queue";
  EXPECT_EQ(ZMTGetProperty(handle, 1, nullptr), ZMT_E_BADARG);
  EXPECT_EQ(ZMTGetEvent(handle, nullptr), ZMT_E_BADARG);

  ReceiverInfo info = window.Info();
  int32_t out = -1;
  EXPECT_EQ(ZMTOpenReceiver(nullptr, &out), ZMT_E_BADARG);
  EXPECT_EQ(ZMTOpenReceiver(&info, nullptr), ZMT_E_BADARG);
  info.size = 16;  // the 32-bit record
  EXPECT_EQ(ZMTOpenReceiver(&info, &out), ZMT_E_BADARG);
  EXPECT_EQ(out, -1);
}

TEST_F(RouteApi, ReceiversGetHandlesFromOneUpward) {
  ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  FakeWindow windows[4];
  for (int i = 0; i < 4; ++i) EXPECT_EQ(Open(windows[i]), i + 1);

  // A receiver without a notify function is allowed.
  ReceiverInfo silent{};
  silent.size = sizeof silent;
  int32_t handle = -1;
  EXPECT_EQ(ZMTOpenReceiver(&silent, &handle), ZMT_OK);
  EXPECT_EQ(handle, 5);
}

TEST_F(RouteApi, GetEventIsNegativeWhenTheQueueIsEmpty) {
  ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  FakeWindow window;
  const int32_t handle = Open(window);
  ZMTEvent event{7, 7, 7};
  EXPECT_EQ(ZMTGetEvent(handle, &event), ZMT_E_NOEVENT);
  EXPECT_EQ(event.type, 7) << "nothing is written without an event";
  EXPECT_EQ(ZMTActivate(handle), ZMT_OK);
  EXPECT_EQ(ZMTDeactivate(handle), ZMT_OK);
  EXPECT_EQ(window.Posts(), 0);
}

TEST_F(RouteApi, UninitForgetsEverything) {
  ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  FakeWindow a, b;
  Open(a);
  const int32_t hb = Open(b);
  ASSERT_EQ(hb, 2);
  ASSERT_EQ(ZMTSetProperty(0, ZMT_PROP_ORIENTATION, 1), ZMT_OK);
  ASSERT_EQ(ZMTSetProperty(hb, ZMT_PROP_PEN_MODE, 2), ZMT_OK);

  ZMTUninit();
  uint32_t value = 0;
  EXPECT_EQ(ZMTGetProperty(0, ZMT_PROP_ORIENTATION, &value), ZMT_E_NOTINIT);

  ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  EXPECT_EQ(ZMTGetProperty(0, ZMT_PROP_ORIENTATION, &value), ZMT_OK);
  EXPECT_EQ(value, 0u) << "global properties are gone";
  EXPECT_EQ(ZMTGetProperty(hb, ZMT_PROP_PEN_MODE, &value), ZMT_E_BADHANDLE)
      << "receivers are gone";
  FakeWindow c;
  EXPECT_EQ(Open(c), 1) << "handles start again from 1";
  EXPECT_EQ(ZMTGetProperty(1, ZMT_PROP_PEN_MODE, &value), ZMT_OK);
  EXPECT_EQ(value, 0u) << "the new receiver does not inherit the old one's properties";
  EXPECT_EQ(ZMTIsConnected(), 0);
}

}  // namespace
}  // namespace scrivel::test
