#pragma once
// A route library connected to a live socket that the test serves.

#include <gtest/gtest.h>

#include <deque>
#include <string>
#include <vector>

#include "nibroute/nibroute.h"
#include "tests/nibroute/routetestsupport.h"
#include "tests/nibroute/unixserver.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {

class LiveRoute : public ::testing::Test {
 protected:
  LiveRoute() : m_server(m_dir.file("live.sock")) {}

  void SetUp() override {
    ASSERT_TRUE(m_server.ok());
    UsePenConfig(m_dir, "RouteSource=unix:" + m_server.path());
    ASSERT_EQ(ZMTInitEx(ZMT_INTERFACE_VERSION, 0), ZMT_OK);
  }
  void TearDown() override { ZMTUninit(); }

  // A window that outlives the library's thread (ZMTUninit in TearDown joins
  // it before the fixture's windows go).
  FakeWindow& NewWindow() { return m_windows.emplace_back(); }

  int32_t Open(FakeWindow& window, uint32_t receiveEvents = 1) {
    const ReceiverInfo info = window.Info();
    int32_t handle = -1;
    EXPECT_EQ(ZMTOpenReceiver(&info, &handle), ZMT_OK);
    EXPECT_EQ(ZMTSetProperty(handle, ZMT_PROP_RECEIVE_EVENTS, receiveEvents), ZMT_OK);
    return handle;
  }

  // ZMTConnect and the server's side of the connection.
  void Connect() {
    ASSERT_EQ(ZMTConnect(0, 0x100, 0), ZMT_OK);
    ASSERT_NE(ZMTIsConnected(), 0);
    ASSERT_TRUE(m_server.Accept());
  }

  // The server hangs up; returns once the library has seen it (event 19 queued).
  void HangUp() {
    m_server.CloseClient();
    ASSERT_TRUE(WaitUntil([] { return ZMTIsConnected() == 0; }));
  }

  TempDir m_dir;
  UnixServer m_server;
  std::deque<FakeWindow> m_windows;
};

}  // namespace scrivel::test
