// The port modules on devices emulated by umockdev: libNibSer.so on the tty
// its port number names (/dev/ttyS3), libNibUSB.so on the hidraw node of the
// receiver it finds by USB ids; bytes both ways, and the event "pen gone"
// when the device is unplugged.

#include <gtest/gtest.h>
#include <unistd.h>

#include "tests/ports/porttestsupport.h"
#include "tests/support/emulatedreceiver.h"

namespace scrivel::test {
namespace {

constexpr const char* kSerialDescription =
    "P: /devices/platform/serial8250/tty/ttyS3\n"
    "N: ttyS3\n"
    "E: DEVNAME=/dev/ttyS3\n"
    "E: MAJOR=4\n"
    "E: MINOR=67\n"
    "E: SUBSYSTEM=tty\n"
    "A: dev=4:67\n";
constexpr const char* kSerialNode = "/dev/ttyS3";
constexpr const char* kSerialSyspath = "/sys/devices/platform/serial8250/tty/ttyS3";

class EmulatedPorts : public ::testing::Test {
 protected:
  void SetUp() override { PortEvents::Reset(); }
  void TearDown() override {
    if (m_port.close) m_port.close(0);
  }

  TempDir m_config;
  MockDevices m_devices;
  PortModule m_port;
};

TEST_F(EmulatedPorts, SerialModuleOnTheTtyOfItsPortNumber) {
  ASSERT_TRUE(m_devices.Add(kSerialDescription));
  UsePenConfig(m_config, "Port=3\n");
  m_port = PortModule::Load("libNibSer.so");
  ASSERT_TRUE(m_port.complete());
  uint32_t type = 0;
  ASSERT_NE(m_port.OpenEx(3, 115200, &type), 0);
  EXPECT_EQ(type, PORT_DEVICE_SERIAL_PEN);

  const int pen = m_devices.DeviceSide(kSerialNode);
  const std::vector<uint8_t> reply = Pattern(300);
  ASSERT_EQ(write(pen, reply.data(), reply.size()), static_cast<ssize_t>(reply.size()));
  EXPECT_EQ(Collect(m_port, reply.size(), 20), reply);
  m_port.Send({0x95, 0x95});
  uint8_t got[2] = {};
  ASSERT_EQ(read(pen, got, 2), 2);
  EXPECT_EQ(got[0], 0x95);

  m_devices.Unplug(kSerialNode, kSerialSyspath);
  EXPECT_TRUE(PortEvents::WaitForGone());
}

TEST_F(EmulatedPorts, UsbModuleOnTheReceiverFoundByItsIds) {
  EmulatedReceiver receiver(m_devices);
  ASSERT_TRUE(receiver.ok());
  UsePenConfig(m_config, EmulatedReceiver::AutoConfig());
  m_port = PortModule::Load("libNibUSB.so");
  ASSERT_TRUE(m_port.complete());
  uint32_t type = 0;
  ASSERT_NE(m_port.OpenEx(PORT_USB, 0, &type), 0);
  EXPECT_EQ(type, PORT_DEVICE_USB_PEN);

  const std::vector<uint8_t> reports = Pattern(3 * 64);
  for (size_t r = 0; r < 3; ++r)
    ASSERT_TRUE(receiver.SendReport(std::vector<uint8_t>(reports.begin() + r * 64, reports.begin() + (r + 1) * 64)));
  EXPECT_EQ(Collect(m_port, reports.size(), 2048, true), reports);
  m_port.Send({0xB7, 0x00, 0x11});
  const std::vector<uint8_t> sent = receiver.ReadHostReport();
  ASSERT_EQ(sent.size(), 64u);
  EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 4), (std::vector<uint8_t>{0xB7, 0x00, 0x11, 0x00}));

  receiver.Unplug();
  EXPECT_TRUE(PortEvents::WaitForGone());
}

TEST_F(EmulatedPorts, UsbModuleWithoutAReceiverDoesNotOpen) {
  UsePenConfig(m_config, EmulatedReceiver::AutoConfig());
  m_port = PortModule::Load("libNibUSB.so");
  ASSERT_TRUE(m_port.complete());
  EXPECT_EQ(m_port.OpenEx(PORT_USB, 0), 0);
}

}  // namespace
}  // namespace scrivel::test
