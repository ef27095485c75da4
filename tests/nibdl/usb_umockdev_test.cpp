// The download library end to end on a pen receiver emulated by umockdev: the
// real libNibUSB.so finds the hidraw node by the receiver's USB ids (also one
// plugged in while the pen is being opened), downloads a short note memory
// played as a script of 64-byte reports, and ends cleanly when the receiver
// is unplugged mid-download; scrivel-download says why it finds no receiver.

#include <gtest/gtest.h>

#include <thread>

#include "nibdl/nibdl.h"
#include "tests/nibdl/penconfigfile.h"
#include "tests/nibdl/penemusession.h"
#include "tests/support/emulatedreceiver.h"
#include "tests/support/process.h"

namespace nibdl::test {
namespace {

using scrivel::test::EmulatedReceiver;
using scrivel::test::MockDevices;

constexpr uint8_t kCount = 0xB5, kStream = 0xB6;

std::vector<uint8_t> CountReply(size_t packets) {
  std::vector<uint8_t> reply(64, 0);
  std::fill(reply.begin(), reply.begin() + 5, 0xAA);
  reply[5] = static_cast<uint8_t>(packets >> 8);
  reply[6] = static_cast<uint8_t>(packets);
  return reply;
}

// The pen's side of a whole download of `image`: the packet count, the
// stream of packets, and the host closing the stream.
std::string DownloadScript(const Bytes& image) {
  const Bytes packets = PacketsOf(image);
  const size_t count = packets.size() / 64;
  std::string script = EmulatedReceiver::HostSends({kCount}) +
                       EmulatedReceiver::PenSends(CountReply(count)) +
                       EmulatedReceiver::HostSends({kStream});
  for (size_t p = 0; p < count; ++p)
    script += EmulatedReceiver::PenSends(
        std::vector<uint8_t>(packets.begin() + p * 64, packets.begin() + (p + 1) * 64));
  return script + EmulatedReceiver::HostSends({kStream});
}

std::vector<std::vector<Sample>> TwoNotes() { return {Stroke(40, 10, 20), Stroke(25, -300, 900)}; }

class EmulatedUsbReceiver : public ::testing::Test {
 protected:
  void SetUp() override {
    UsePenConfig(m_config, EmulatedReceiver::AutoConfig());
    ASSERT_EQ(DUVOInit(DUVO_INTERFACE_VERSION), DUVO_OK);
  }
  void TearDown() override { DUVOCloseDevice(); }

  void ExpectTwoNotes(const DownloadResult& result) {
    ASSERT_EQ(result.code, DUVO_OK);
    const auto notes = TwoNotes();
    ASSERT_EQ(result.pages.size(), notes.size());
    for (size_t i = 0; i < notes.size(); ++i)
      EXPECT_TRUE(SameRecords(result.pages[i].points, ExpectedRecords(notes[i]))) << "page " << i + 1;
  }

  scrivel::test::TempDir m_config;
  MockDevices m_devices;
};

TEST_F(EmulatedUsbReceiver, AWholeDownloadFromTheReceiverFoundByItsIds) {
  EmulatedReceiver receiver(m_devices);
  ASSERT_TRUE(receiver.ok());
  ASSERT_TRUE(m_devices.LoadScript(EmulatedReceiver::kDevnode, DownloadScript(MakeImage(TwoNotes()))));
  ASSERT_EQ(DUVOOpenDevice(nullptr), DUVO_OK);
  ExpectTwoNotes(DownloadPages());
}

TEST_F(EmulatedUsbReceiver, AReceiverPluggedInWhileThePenOpensIsTaken) {
  uint32_t opened = 0;
  std::thread open([&] { opened = DUVOOpenDevice(nullptr); });
  std::this_thread::sleep_for(std::chrono::milliseconds(1200));  // the open is waiting by now
  EmulatedReceiver receiver(m_devices);
  ASSERT_TRUE(receiver.ok());
  ASSERT_TRUE(m_devices.LoadScript(EmulatedReceiver::kDevnode, DownloadScript(MakeImage(TwoNotes()))));
  receiver.AnnouncePlugIn();
  open.join();
  ASSERT_EQ(opened, DUVO_OK);
  ExpectTwoNotes(DownloadPages());
}

TEST_F(EmulatedUsbReceiver, UnpluggedMidDownloadTheDownloadEndsWithAnError) {
  EmulatedReceiver receiver(m_devices);
  ASSERT_TRUE(receiver.ok());
  ASSERT_EQ(DUVOOpenDevice(nullptr), DUVO_OK);
  const Bytes packets = PacketsOf(MakeImage({Stroke(400, 10, 20)}));
  std::thread pen([&] {
    EXPECT_EQ(receiver.ReadHostReport().at(0), kCount);
    receiver.SendReport(CountReply(packets.size() / 64));
    EXPECT_EQ(receiver.ReadHostReport().at(0), kStream);
    for (size_t p = 0; p < 3; ++p)
      receiver.SendReport(std::vector<uint8_t>(packets.begin() + p * 64, packets.begin() + (p + 1) * 64));
    receiver.Unplug();
  });
  const DownloadResult result = DownloadPages();
  pen.join();
  EXPECT_NE(result.code, DUVO_OK);
  EXPECT_TRUE(result.pages.empty());
}

// What a user reads when the receiver cannot be found (the child process sees
// the same emulated devices: none).
TEST_F(EmulatedUsbReceiver, ScrivelDownloadSaysWhyNoReceiverIsFound) {
  struct Row {
    std::string config;
    std::string says;
  };
  const Row rows[] = {
      {EmulatedReceiver::AutoConfig(), "no pen receiver with USB id 1a2b:00c4 is connected"},
      {"Port=-1\nUsbDevice=auto\n", "UsbDevice=auto needs the receiver's USB ids"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.config);
    scrivel::test::TempDir config, out;
    UsePenConfig(config, row.config);
    const auto run = scrivel::test::Run(scrivel::test::AppPath("scrivel-download"),
                                        {"--out", out.path()}, {"XDG_CONFIG_HOME=" + config.path()});
    EXPECT_NE(run.exitCode, 0);
    EXPECT_NE(run.err.find(row.says), std::string::npos) << run.err;
  }
}

}  // namespace
}  // namespace nibdl::test
