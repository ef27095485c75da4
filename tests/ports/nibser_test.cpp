// libNibSer.so on a pseudo-terminal: the test holds the master as the pen.

#include <gtest/gtest.h>
#include <termios.h>

#include <atomic>
#include <thread>

#include "tests/ports/porttestsupport.h"
#include "tests/ports/pty.h"

namespace scrivel::test {
namespace {

class NibSer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_pty.ok());
    UsePenConfig(m_config, "SerialDevice=" + m_pty.slaveName());
    m_port = PortModule::Load("libNibSer.so");
    ASSERT_TRUE(m_port.complete());
    PortEvents::Reset();
  }
  void TearDown() override {
    if (m_port.close) m_port.close(0);
  }

  void Open() {
    uint32_t type = 0;
    ASSERT_NE(m_port.OpenEx(3, 115200, &type), 0);
    EXPECT_EQ(type, PORT_DEVICE_SERIAL_PEN);
  }

  TempDir m_config;
  Pty m_pty;
  PortModule m_port;
};

TEST_F(NibSer, OpensTheLineRaw8N1AtTheRequestedSpeed) {
  struct Row {
    uint32_t baud;
    bool opens;
    speed_t speed;
  };
  const Row rows[] = {
      {115200, true, B115200}, {9600, true, B9600}, {0, true, B115200}, {12345, false, B0},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.baud);
    uint32_t type = 0;
    const int opened = m_port.OpenEx(3, row.baud, &type);
    EXPECT_EQ(opened != 0, row.opens);
    if (opened == 0) continue;
    EXPECT_EQ(type, PORT_DEVICE_SERIAL_PEN);
    termios tio{};
    ASSERT_EQ(tcgetattr(m_pty.slave(), &tio), 0);
    EXPECT_EQ(cfgetospeed(&tio), row.speed);
    EXPECT_EQ(cfgetispeed(&tio), row.speed);
    EXPECT_EQ(tio.c_cflag & CSIZE, static_cast<tcflag_t>(CS8));
    EXPECT_EQ(tio.c_cflag & (PARENB | CSTOPB | CRTSCTS), 0u);
    EXPECT_EQ(tio.c_lflag & (ICANON | ECHO | ISIG), 0u);
    EXPECT_EQ(tio.c_iflag & (IXON | IXOFF | ICRNL | ISTRIP), 0u);
    EXPECT_EQ(tio.c_oflag & OPOST, 0u);
    m_port.close(0);
  }
}

TEST_F(NibSer, SetPortBaudRateChangesTheOpenLine) {
  Open();
  EXPECT_EQ(m_port.setBaudRate(57600), 1);
  termios tio{};
  ASSERT_EQ(tcgetattr(m_pty.slave(), &tio), 0);
  EXPECT_EQ(cfgetospeed(&tio), static_cast<speed_t>(B57600));
  EXPECT_EQ(m_port.setBaudRate(12345), 0);
}

TEST_F(NibSer, CarriesEveryByteValueBothWays) {
  Open();
  const std::vector<uint8_t> fromPen = Pattern(256 * 3);
  ASSERT_TRUE(m_pty.Write(fromPen));
  EXPECT_EQ(Collect(m_port, fromPen.size(), 2048), fromPen);

  std::vector<uint8_t> toPen(256);
  for (int i = 0; i < 256; ++i) toPen[i] = static_cast<uint8_t>(255 - i);
  m_port.Send(toPen);
  EXPECT_EQ(m_pty.Read(toPen.size()), toPen);
  EXPECT_EQ(PortEvents::GoneCount(), 0);
}

TEST_F(NibSer, SmallBuffersGetEverythingBecauseTheEventIsRaisedAgain) {
  Open();
  // The download library reads replies 20 bytes at a time and waits for one
  // signal per read: bytes left behind must be signalled again.
  for (uint32_t capacity : {20u, 1u, 64u}) {
    SCOPED_TRACE(capacity);
    const std::vector<uint8_t> bytes = Pattern(150, capacity);
    ASSERT_TRUE(m_pty.Write(bytes));
    EXPECT_EQ(Collect(m_port, bytes.size(), capacity), bytes);
    EXPECT_TRUE(m_port.Retrieve(capacity).empty()) << "nothing more waiting";
  }
}

TEST_F(NibSer, LargeSendsGetThroughAFullLine) {
  Open();
  // Far more than the terminal's buffers hold: the module has to wait for room.
  const std::vector<uint8_t> bytes = Pattern(256 * 1024);
  std::vector<uint8_t> received;
  std::thread pen([&] { received = m_pty.Read(bytes.size(), std::chrono::seconds(60)); });
  m_port.Send(bytes);
  pen.join();
  EXPECT_EQ(received.size(), bytes.size());
  EXPECT_TRUE(received == bytes);
}

TEST_F(NibSer, HangUpIsReportedOnceAndEarlierBytesStay) {
  Open();
  const std::vector<uint8_t> bytes = Pattern(10);
  ASSERT_TRUE(m_pty.Write(bytes));
  ASSERT_TRUE(PortEvents::WaitForData());
  m_pty.CloseMaster();
  ASSERT_TRUE(PortEvents::WaitForGone());
  EXPECT_EQ(m_port.Retrieve(2048), bytes);
  m_port.Send({0xFF, 0xA0, 0x01});  // to a line that is gone: nothing happens
  EXPECT_TRUE(m_port.Retrieve(2048).empty());
  m_port.close(0);
  EXPECT_EQ(PortEvents::GoneCount(), 1);
  EXPECT_EQ(PortEvents::OtherCount(), 0);
}

TEST_F(NibSer, OnePortAtATimeAndCloseThenReopen) {
  Open();
  EXPECT_EQ(m_port.OpenEx(3, 115200), 0) << "already open";
  m_port.close(0);
  m_port.close(0);  // twice: harmless
  EXPECT_TRUE(m_port.Retrieve(64).empty());

  Pty second;
  ASSERT_TRUE(second.ok());
  UsePenConfig(m_config, "SerialDevice=" + second.slaveName());
  PortEvents::Reset();
  Open();
  ASSERT_TRUE(second.Write({1, 2, 3}));
  EXPECT_EQ(Collect(m_port, 3, 2048), (std::vector<uint8_t>{1, 2, 3}));
  m_port.Send({4, 5});
  EXPECT_EQ(second.Read(2), (std::vector<uint8_t>{4, 5}));
  // The first line is no longer watched.
  m_pty.CloseMaster();
  m_port.Send({6});
  EXPECT_EQ(second.Read(1), (std::vector<uint8_t>{6}));
  EXPECT_EQ(PortEvents::GoneCount(), 0);
}

TEST_F(NibSer, InitPortCallBackRedirectsTheEvents) {
  static std::atomic<int> other{0};
  other = 0;
  Open();
  EXPECT_EQ(m_port.initCallBack([](int event, int) {
    if (event == PORT_EVENT_DATA) ++other;
    return 0;
  }), 1);
  ASSERT_TRUE(m_pty.Write({9}));
  const bool arrived = [&] {
    for (int i = 0; i < 1000 && other == 0; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return other > 0;
  }();
  EXPECT_TRUE(arrived);
  EXPECT_EQ(PortEvents::DataCount(), 0);
  EXPECT_EQ(m_port.Retrieve(20), (std::vector<uint8_t>{9}));
}

TEST_F(NibSer, OpenFailsWithoutAUsableLine) {
  struct Row {
    const char* name;
    std::string config;
  };
  const std::string file = m_config.file("not-a-tty");
  WriteFile(file, "x");
  const Row rows[] = {
      {"default /dev/ttyS250 is absent", ""},
      {"missing device", "SerialDevice=" + m_config.file("missing")},
      {"not a terminal", "SerialDevice=" + file},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir config;
    UsePenConfig(config, row.config);
    uint32_t type = 0x77;
    EXPECT_EQ(m_port.OpenEx(250, 115200, &type), 0);
    EXPECT_EQ(type, 0x77u);
  }
  EXPECT_EQ(PortEvents::DataCount() + PortEvents::GoneCount(), 0);
}

}  // namespace
}  // namespace scrivel::test
