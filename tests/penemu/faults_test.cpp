// Fault injection end to end: what a host sees from a pen told to misbehave.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <set>

#include "tests/penemu/penhost.h"

namespace scrivel::test {
namespace {

class FaultsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // 21 packets: an odd count, so the last packet has no partner to swap with.
    m_notes = {MakeNote(150, 0, 10, 1), MakeNote(167, 0, 20, 2)};
    m_image = MakeImage(m_notes);
    m_padded = m_image;
    m_padded.resize(packets() * 62, 0);
    WriteFile(m_dir.file("memory.img"), std::string(m_image.begin(), m_image.end()));
  }
  std::unique_ptr<Penemu> start(const std::string& mode, std::vector<std::string> extra) {
    std::vector<std::string> args{mode, mode == "usb" ? "--socket" : "--link", path(), "--image",
                                  m_dir.file("memory.img")};
    args.insert(args.end(), extra.begin(), extra.end());
    auto pen = std::make_unique<Penemu>(args);
    EXPECT_TRUE(pen->ready()) << pen->process().stderrText();
    return pen;
  }
  std::string path() const { return m_dir.file("pen"); }
  size_t packets() const { return (m_image.size() + 61) / 62; }
  Bytes packet(size_t p) const {
    Bytes r{uint8_t(p >> 8), uint8_t(p)};
    r.insert(r.end(), m_padded.begin() + long((p - 1) * 62), m_padded.begin() + long(p * 62));
    return r;
  }
  // Note 2 as stored, its link included.
  Bytes secondNote() const { return Bytes(m_image.begin() + 14 + 150 * 4, m_image.end()); }
  // The packet numbers of a stream, in order.
  static std::vector<size_t> Numbers(const Bytes& stream) {
    std::vector<size_t> numbers;
    for (size_t i = 0; i + 64 <= stream.size(); i += 64) numbers.push_back(size_t(stream[i]) << 8 | stream[i + 1]);
    return numbers;
  }
  std::vector<size_t> usbStreamNumbers(const std::vector<std::string>& faults) {
    auto pen = start("usb", faults);
    UsbHost host(path());
    host.send({0xB6});
    return Numbers(host.drain(300ms));
  }

  TempDir m_dir;
  std::vector<Note> m_notes;
  Bytes m_image, m_padded;
};

TEST_F(FaultsTest, UsbDroppedPacketsComeBackOnRequest) {
  auto pen = start("usb", {"--drop", "0.3", "--seed", "5"});
  UsbHost host(path());
  ASSERT_EQ(host.packetCount(), packets());
  host.send({0xB6});
  const Bytes stream = host.drain(300ms);
  std::set<size_t> seen;
  for (size_t i = 0; i + 64 <= stream.size(); i += 64) {
    const size_t p = size_t(stream[i]) << 8 | stream[i + 1];
    EXPECT_EQ(Bytes(stream.begin() + long(i), stream.begin() + long(i) + 64), packet(p));
    seen.insert(p);
  }
  ASSERT_LT(seen.size(), packets());
  ASSERT_GT(seen.size(), 0u);
  for (size_t p = 1; p <= packets(); ++p) {
    if (seen.count(p)) continue;
    host.send({0xB7, uint8_t(p >> 8), uint8_t(p)});
    EXPECT_EQ(host.read(64), packet(p)) << "packet " << p;
  }
}

TEST_F(FaultsTest, UsbStreamFaultsTable) {
  std::vector<size_t> inOrder, duplicated, swapped;
  for (size_t p = 1; p <= packets(); ++p) {
    inOrder.push_back(p);
    duplicated.insert(duplicated.end(), {p, p});
  }
  for (size_t p = 1; p + 1 <= packets(); p += 2) swapped.insert(swapped.end(), {p + 1, p});
  swapped.push_back(packets());
  struct Row {
    std::vector<std::string> faults;
    std::vector<size_t> numbers;
  };
  const Row rows[] = {
      {{}, inOrder},
      {{"--drop", "1"}, {}},
      {{"--corrupt", "1"}, std::vector<size_t>(packets(), 0)},
      {{"--duplicate", "1"}, duplicated},
      {{"--reorder", "1"}, swapped},
      {{"--drop", "1", "--duplicate", "1"}, {}},
  };
  for (const Row& row : rows)
    EXPECT_EQ(usbStreamNumbers(row.faults), row.numbers) << ::testing::PrintToString(row.faults);
}

TEST_F(FaultsTest, UsbCorruptPacketsAreSentCleanOnRequest) {
  auto pen = start("usb", {"--corrupt", "1"});
  UsbHost host(path());
  host.send({0xB6});
  const Bytes stream = host.read(packets() * 64);
  ASSERT_EQ(stream.size(), packets() * 64);
  EXPECT_TRUE(std::equal(stream.begin() + 2, stream.begin() + 64, packet(1).begin() + 2));
  host.send({0xB7, 0x00, 0x01});
  EXPECT_EQ(host.read(64), packet(1));
}

TEST_F(FaultsTest, SameSeedSameFaultsOtherSeedOthers) {
  const auto a = usbStreamNumbers({"--drop", "0.5", "--seed", "42"});
  const auto b = usbStreamNumbers({"--drop", "0.5", "--seed", "42"});
  const auto c = usbStreamNumbers({"--drop", "0.5", "--seed", "43"});
  EXPECT_EQ(a, b);
  EXPECT_NE(a, c);
}

TEST_F(FaultsTest, UsbDisconnectAfterClosesOnceThenServesAgain) {
  auto pen = start("usb", {"--disconnect-after", "5"});
  {
    UsbHost host(path());
    host.send({0xB6});
    bool closed = false;
    EXPECT_EQ(Numbers(host.drain(5s, &closed)), (std::vector<size_t>{1, 2, 3, 4, 5}));
    EXPECT_TRUE(closed);
  }
  EXPECT_NE(pen->process().stderrText().find("disconnecting after 5 data packets"), std::string::npos);
  UsbHost host(path());
  EXPECT_EQ(host.download(), m_padded);
}

TEST_F(FaultsTest, UsbStallAfterAnswersNothingMore) {
  auto pen = start("usb", {"--stall-after", "3"});
  UsbHost host(path());
  ASSERT_EQ(host.packetCount(), packets());
  host.send({0xB6});
  bool closed = false;
  EXPECT_EQ(Numbers(host.drain(300ms, &closed)), (std::vector<size_t>{1, 2, 3}));
  host.send({0xB5, 0x95, 0x95, 0xB7, 0x00, 0x04});
  EXPECT_TRUE(host.drain(300ms, &closed).empty());
  EXPECT_FALSE(closed);
}

TEST_F(FaultsTest, PenThatNeverWakesUp) {
  {
    auto pen = start("usb", {"--stall-after", "0"});
    UsbHost host(path());
    host.send({0xB5, 0x95, 0x95, 0xB6});
    bool closed = false;
    EXPECT_TRUE(host.drain(300ms, &closed).empty());
    EXPECT_FALSE(closed);
  }
  auto pen = start("serial", {"--stall-after", "0"});
  SerialHost host(path());
  host.send({0xFF, 0xA0, 0x01, 0x95, 0x95});
  EXPECT_TRUE(host.drain(300ms).empty());
}

// The serial transfer of note 2 under a fault: the packets as they arrive.
Bytes SerialFirstPacket(SerialHost& host) {
  host.enterCommandMode();
  host.send({0xB7, 0x02, 0x00});
  return host.readFramed(300ms);
}

TEST_F(FaultsTest, SerialDroppedPacketIsSentOnRetry) {
  auto pen = start("serial", {"--drop", "1"});
  SerialHost host(path());
  EXPECT_TRUE(SerialFirstPacket(host).empty());
  host.send({0xB8, 0x02});
  const Bytes packet = host.readFramed();
  ASSERT_EQ(packet.size(), 65u);
  EXPECT_EQ(Xor(packet, 1, packet.size()), 0);
}

TEST_F(FaultsTest, SerialCorruptPacketFailsItsCheckThenComesClean) {
  auto pen = start("serial", {"--corrupt", "1"});
  SerialHost host(path());
  const Bytes bad = SerialFirstPacket(host);
  ASSERT_EQ(bad.size(), 65u);
  EXPECT_NE(Xor(bad, 1, bad.size()), 0);
  host.send({0xB8, 0x02});
  const Bytes good = host.readFramed();
  ASSERT_EQ(good.size(), 65u);
  EXPECT_EQ(Xor(good, 1, good.size()), 0);
  const Bytes note = secondNote();
  EXPECT_TRUE(std::equal(good.begin() + 1, good.end() - 1, note.begin()));
}

TEST_F(FaultsTest, SerialDuplicateAndReorderLeaveTheTransferIntact) {
  for (const char* fault : {"--duplicate", "--reorder"}) {
    auto pen = start("serial", {fault, "1"});
    SerialHost host(path());
    host.enterCommandMode();
    EXPECT_EQ(host.fetchNote(2), secondNote()) << fault;
    EXPECT_TRUE(host.drain(200ms).empty()) << fault;
  }
}

TEST_F(FaultsTest, SerialDisconnectAfterClosesThePtyAndExits) {
  auto pen = start("serial", {"--disconnect-after", "2"});
  SerialHost host(path());
  host.enterCommandMode();
  host.send({0xB7, 0x01, 0x00});
  EXPECT_FALSE(host.readFramed().empty());
  host.send({0xB8, 0x00});
  EXPECT_FALSE(host.readFramed().empty());
  host.send({0xB8, 0x00});
  EXPECT_EQ(pen->process().wait(10s), 0);
  EXPECT_NE(pen->process().stderrText().find("disconnecting after 2 data packets"), std::string::npos);
  struct stat st;
  EXPECT_NE(lstat(path().c_str(), &st), 0);
}

}  // namespace
}  // namespace scrivel::test
