// libNibUSB.so on a pen emulator's socket (served by the test), and its
// hidraw framing on a pseudo-terminal standing in for the device node.

#include <gtest/gtest.h>

#include <thread>

#include "tests/nibroute/unixserver.h"
#include "tests/ports/porttestsupport.h"
#include "tests/ports/pty.h"

namespace scrivel::test {
namespace {

constexpr size_t kReport = 64;

class NibUsb : public ::testing::Test {
 protected:
  NibUsb() : m_server(m_config.file("usb.sock")) {}

  void SetUp() override {
    ASSERT_TRUE(m_server.ok());
    UsePenConfig(m_config, "UsbDevice=unix:" + m_server.path());
    m_port = PortModule::Load("libNibUSB.so");
    ASSERT_TRUE(m_port.complete());
    PortEvents::Reset();
  }
  void TearDown() override {
    if (m_port.close) m_port.close(0);
  }

  void Open() {
    uint32_t type = 0;
    ASSERT_NE(m_port.OpenEx(PORT_USB, 0, &type), 0);
    EXPECT_EQ(type, PORT_DEVICE_USB_PEN);
    ASSERT_TRUE(m_server.Accept());
  }

  TempDir m_config;
  UnixServer m_server;
  PortModule m_port;
};

TEST_F(NibUsb, CarriesReportsFromThePenAndPlainBytesToIt) {
  Open();
  const std::vector<uint8_t> reports = Pattern(3 * kReport);
  ASSERT_TRUE(m_server.Write(reports));
  EXPECT_EQ(Collect(m_port, reports.size(), 2048, true), reports);

  m_port.Send({0xB5});
  m_port.Send({0xB7, 0x00, 0x11});
  EXPECT_EQ(m_server.Read(4), (std::vector<uint8_t>{0xB5, 0xB7, 0x00, 0x11}));
}

TEST_F(NibUsb, ReportsSplitAcrossWritesAreReassembled) {
  Open();
  for (uint32_t capacity : {2048u, 100u, 64u}) {
    SCOPED_TRACE(capacity);
    const std::vector<uint8_t> reports = Pattern(4 * kReport, capacity);
    std::vector<uint8_t> received;
    const size_t cuts[] = {10, 60, 1, 100, 21, 64};
    size_t at = 0;
    for (size_t n : cuts) {
      ASSERT_TRUE(m_server.Write(reports.data() + at, n));
      at += n;
      // Let the module read each piece on its own, then look: never half a report.
      std::this_thread::sleep_for(std::chrono::milliseconds(3));
      const std::vector<uint8_t> early = m_port.Retrieve(capacity);
      EXPECT_EQ(early.size() % kReport, 0u);
      if (at < kReport) {
        EXPECT_TRUE(early.empty()) << "the first report is not complete yet";
      }
      received.insert(received.end(), early.begin(), early.end());
    }
    ASSERT_EQ(at, reports.size());
    const std::vector<uint8_t> rest = Collect(m_port, reports.size() - received.size(), capacity, true);
    received.insert(received.end(), rest.begin(), rest.end());
    EXPECT_EQ(received, reports);
  }
}

TEST_F(NibUsb, BuffersBelowOneReportGetPlainBytes) {
  Open();
  const std::vector<uint8_t> reports = Pattern(2 * kReport);
  ASSERT_TRUE(m_server.Write(reports));
  EXPECT_EQ(Collect(m_port, reports.size(), 20), reports);
}

TEST_F(NibUsb, PeerCloseIsReportedOnceAndEarlierReportsStay) {
  Open();
  const std::vector<uint8_t> report = Pattern(kReport);
  ASSERT_TRUE(m_server.Write(report));
  m_server.CloseClient();
  ASSERT_TRUE(PortEvents::WaitForGone());
  EXPECT_EQ(m_port.Retrieve(2048), report);
  m_port.Send({0xB6});  // the peer is gone: no SIGPIPE, nothing happens
  m_port.close(0);
  EXPECT_EQ(PortEvents::GoneCount(), 1);
}

TEST_F(NibUsb, OnePortAtATimeAndCloseThenReopen) {
  Open();
  EXPECT_EQ(m_port.OpenEx(PORT_USB, 0), 0) << "already open";
  m_port.close(0);
  EXPECT_TRUE(m_server.WaitForClientClose()) << "closing the port closes the socket";
  m_port.close(0);
  Open();
  const std::vector<uint8_t> report = Pattern(kReport, 99);
  ASSERT_TRUE(m_server.Write(report));
  EXPECT_EQ(Collect(m_port, kReport, 2048, true), report);
  EXPECT_EQ(PortEvents::GoneCount(), 0);
}

TEST_F(NibUsb, OpenFailsWithoutAUsableDevice) {
  struct Row {
    const char* name;
    std::string config;
  };
  const Row rows[] = {
      {"no configuration", ""},
      {"no UsbDevice", "Port=-1"},
      {"empty UsbDevice", "UsbDevice="},
      {"nothing listens", "UsbDevice=unix:" + m_config.file("missing.sock")},
      {"empty socket path", "UsbDevice=unix:"},
      {"no hidraw node", "UsbDevice=" + m_config.file("hidraw9")},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    TempDir config;
    UsePenConfig(config, row.config);
    uint32_t type = 0x77;
    EXPECT_EQ(m_port.OpenEx(PORT_USB, 0, &type), 0);
    EXPECT_EQ(type, 0x77u);
  }
  EXPECT_EQ(PortEvents::DataCount() + PortEvents::GoneCount(), 0);
}

TEST_F(NibUsb, AWholePenMemoryArrivesEvenWhenTheReaderFallsBehind) {
  // More reports than the module buffers (1 MiB): it must stop reading the
  // socket until the reader catches up, and lose nothing.
  constexpr size_t kReports = 33826;
  std::vector<uint8_t> memory(kReports * kReport);
  for (size_t p = 0; p < kReports; ++p) {
    memory[p * kReport] = static_cast<uint8_t>((p + 1) >> 8);
    memory[p * kReport + 1] = static_cast<uint8_t>(p + 1);
    for (size_t i = 2; i < kReport; ++i) memory[p * kReport + i] = static_cast<uint8_t>(p * 3 + i);
  }
  Open();
  bool written = false;
  std::thread pen([&] { written = m_server.Write(memory); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));  // let the reader fall behind
  const std::vector<uint8_t> received = Collect(m_port, memory.size(), 2048, true);
  m_port.close(0);  // a writer still blocked on a stalled reader gets an error now
  pen.join();
  EXPECT_TRUE(written);
  ASSERT_EQ(received.size(), memory.size());
  EXPECT_TRUE(received == memory);
}

TEST(NibUsbHidraw, ReportsAreFramedWithReportNumberZeroAndPadded) {
  // A raw pseudo-terminal stands in for the hidraw node: what the module
  // writes arrives at the master unchanged.
  Pty node;
  ASSERT_TRUE(node.ok());
  ASSERT_TRUE(node.MakeRaw());
  TempDir config;
  UsePenConfig(config, "UsbDevice=" + node.slaveName());
  const PortModule port = PortModule::Load("libNibUSB.so");
  ASSERT_TRUE(port.complete());
  PortEvents::Reset();
  uint32_t type = 0;
  ASSERT_NE(port.OpenEx(PORT_USB, 0, &type), 0);
  EXPECT_EQ(type, PORT_DEVICE_USB_PEN);

  port.Send({0xB5});
  std::vector<uint8_t> expected(1 + kReport, 0);
  expected[1] = 0xB5;
  EXPECT_EQ(node.Read(expected.size()), expected);

  const std::vector<uint8_t> data = Pattern(100, 1);
  port.Send(data);
  const std::vector<uint8_t> written = node.Read(2 * (1 + kReport));
  ASSERT_EQ(written.size(), 2 * (1 + kReport));
  for (size_t r = 0; r < 2; ++r) {
    EXPECT_EQ(written[r * 65], 0) << "report number";
    for (size_t i = 0; i < kReport; ++i) {
      const size_t at = r * kReport + i;
      EXPECT_EQ(written[r * 65 + 1 + i], at < data.size() ? data[at] : 0) << at;
    }
  }

  // A short report from the device is padded to 64 bytes.
  const std::vector<uint8_t> shortReport = Pattern(30, 5);
  ASSERT_TRUE(node.Write(shortReport));
  std::vector<uint8_t> padded = shortReport;
  padded.resize(kReport, 0);
  EXPECT_EQ(Collect(port, kReport, 2048, true), padded);
  port.close(0);
}

}  // namespace
}  // namespace scrivel::test
