// The USB dialect end to end: a real penemu on a Unix socket, the test as host.

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <random>

#include "tests/penemu/penhost.h"

namespace scrivel::test {
namespace {

class UsbPenTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // 3 notes, 1,230 bytes: 20 packets, the last one partly padding.
    m_image = MakeImage({MakeNote(20, 0x00, 100, 1), MakeNote(100, 0x0A, 200, 2), MakeNote(177, 0x02, 300, 3)});
    WriteFile(m_dir.file("memory.img"), std::string(m_image.begin(), m_image.end()));
  }
  std::unique_ptr<Penemu> start(std::vector<std::string> extra = {}) {
    std::vector<std::string> args{"usb", "--socket", socket(), "--image", m_dir.file("memory.img")};
    args.insert(args.end(), extra.begin(), extra.end());
    auto pen = std::make_unique<Penemu>(args);
    EXPECT_TRUE(pen->ready()) << pen->process().stderrText();
    return pen;
  }
  std::string socket() const { return m_dir.file("pen.sock"); }
  size_t packets() const { return (m_image.size() + 61) / 62; }

  TempDir m_dir;
  Bytes m_image;
};

TEST_F(UsbPenTest, ReadyLineNamesNotesPacketsAndSocket) {
  auto pen = start();
  EXPECT_EQ(pen->readyLine(), "penemu: usb pen with 3 notes (20 packets) on " + socket() + "\n");
}

TEST_F(UsbPenTest, CountReplyIsOnePaddedReport) {
  auto pen = start();
  UsbHost host(socket());
  ASSERT_TRUE(host.connected());
  host.send({0xB5});
  const Bytes r = host.read(64);
  ASSERT_EQ(r.size(), 64u);
  Bytes expected(64, 0);
  std::fill_n(expected.begin(), 5, 0xAA);
  expected[6] = uint8_t(packets());
  EXPECT_EQ(r, expected);
  EXPECT_TRUE(host.drain(200ms).empty());
}

TEST_F(UsbPenTest, StreamCarriesNumberedPacketsOfTheImageAndStaysOpen) {
  auto pen = start();
  UsbHost host(socket());
  ASSERT_EQ(host.packetCount(), packets());
  host.send({0xB6});
  const Bytes stream = host.read(packets() * 64);
  ASSERT_EQ(stream.size(), packets() * 64);
  Bytes padded = m_image;
  padded.resize(packets() * 62, 0);
  for (size_t i = 0; i < packets(); ++i) {
    const uint8_t* p = stream.data() + i * 64;
    ASSERT_EQ(size_t(p[0]) << 8 | p[1], i + 1) << "packet " << i + 1;
    EXPECT_TRUE(std::equal(p + 2, p + 64, padded.begin() + long(i * 62))) << "packet " << i + 1;
  }
  bool closed = false;
  EXPECT_TRUE(host.drain(200ms, &closed).empty());
  EXPECT_FALSE(closed);
  // Still open: a recovery request is answered.
  host.send({0xB7, 0x00, 0x02});
  const Bytes again = host.read(64);
  EXPECT_TRUE(std::equal(again.begin(), again.end(), stream.begin() + 64));
}

TEST_F(UsbPenTest, RecoveryRequestsAnswerOncePerRequestAndOnlyValidNumbers) {
  auto pen = start();
  UsbHost host(socket());
  host.send({0xB6});
  const Bytes stream = host.read(packets() * 64);
  // Split across writes, invalid numbers, then valid ones.
  host.send({0xB7, 0x00});
  host.send({0x14, 0xB7, 0x00, 0x00, 0xB7, 0x00, 0x15, 0xB7, 0x00, 0x01});
  const Bytes answers = host.drain(300ms);
  ASSERT_EQ(answers.size(), 128u);
  EXPECT_TRUE(std::equal(answers.begin(), answers.begin() + 64, stream.begin() + 19 * 64));
  EXPECT_TRUE(std::equal(answers.begin() + 64, answers.end(), stream.begin()));
}

TEST_F(UsbPenTest, SecondB6ClosesTheStream) {
  // A full memory is far more than the socket buffers hold.
  auto pen = std::make_unique<Penemu>(std::vector<std::string>{"usb", "--socket", socket(), "--notes", "1000"});
  ASSERT_TRUE(pen->ready());
  UsbHost host(socket());
  const size_t count = host.packetCount().value_or(0);
  ASSERT_GT(count, 30000u);
  host.send({0xB6});
  ASSERT_EQ(host.read(64 * 10).size(), 640u);
  host.send({0xB6});
  const Bytes rest = host.drain(500ms);
  EXPECT_EQ(rest.size() % 64, 0u);
  EXPECT_LT(640 + rest.size(), count * 64);
  // Closed: recovery requests are not answered; the next B6 starts afresh at 1.
  host.send({0xB7, 0x00, 0x05});
  EXPECT_TRUE(host.drain(200ms).empty());
  host.send({0xB6});
  const Bytes first = host.read(64);
  ASSERT_EQ(first.size(), 64u);
  EXPECT_EQ(first[0], 0);
  EXPECT_EQ(first[1], 1);
}

TEST_F(UsbPenTest, EraseSequenceEmptiesTheMemoryForGood) {
  auto pen = start();
  {
    UsbHost host(socket());
    host.send({0xB6});
    host.send({0xB6});
    host.send({0xB0});
    host.drain(200ms);
    EXPECT_EQ(host.packetCount(), 0u);
    host.send({0xB6});
    EXPECT_TRUE(host.drain(200ms).empty());
  }
  // A new connection meets the same, erased memory.
  UsbHost again(socket());
  EXPECT_EQ(again.packetCount(), 0u);
}

TEST_F(UsbPenTest, EraseIsIgnoredWhileTheStreamIsOpen) {
  auto pen = start();
  UsbHost host(socket());
  host.send({0xB6});
  host.read(packets() * 64);
  host.send({0xB0});
  host.send({0xB6});
  EXPECT_EQ(host.packetCount(), packets());
}

TEST_F(UsbPenTest, VersionReport) {
  auto pen = start();
  UsbHost host(socket());
  host.send({0x95, 0x95});
  const Bytes r = host.read(64);
  Bytes expected{0x80, 0xA9, 0x01, 0x01, 0x1E, 0x00, 0x03, 0x00, 0x01, 0x7E};
  expected.resize(64, 0);
  EXPECT_EQ(r, expected);
}

TEST_F(UsbPenTest, EmptyPenHasNoPackets) {
  Penemu pen({"usb", "--socket", socket()});
  ASSERT_TRUE(pen.ready());
  EXPECT_EQ(pen.readyLine(), "penemu: usb pen with 0 notes (0 packets) on " + socket() + "\n");
  UsbHost host(socket());
  EXPECT_EQ(host.packetCount(), 0u);
  host.send({0xB6});
  EXPECT_TRUE(host.drain(200ms).empty());
}

TEST_F(UsbPenTest, DumpFileRoundTrip) {
  // Records in any order rebuild the same memory.
  std::vector<Bytes> records;
  Bytes padded = m_image;
  padded.resize(packets() * 62, 0);
  for (size_t p = 1; p <= packets(); ++p) {
    Bytes r{uint8_t(p >> 8), uint8_t(p)};
    r.insert(r.end(), padded.begin() + long((p - 1) * 62), padded.begin() + long(p * 62));
    records.push_back(r);
  }
  std::shuffle(records.begin(), records.end(), std::mt19937(7));
  std::string dump;
  for (const Bytes& r : records) dump.append(r.begin(), r.end());
  WriteFile(m_dir.file("pen.mbf"), dump);

  Penemu pen({"usb", "--socket", socket(), "--mbf", m_dir.file("pen.mbf")});
  ASSERT_TRUE(pen.ready()) << pen.process().stderrText();
  UsbHost host(socket());
  EXPECT_EQ(host.download(), padded);
  EXPECT_NE(pen.readyLine().find("with 3 notes (20 packets)"), std::string::npos);
}

TEST_F(UsbPenTest, ServesTheNextHostAfterAHangUp) {
  auto pen = start();
  for (int i = 0; i < 3; ++i) {
    UsbHost host(socket());
    host.send({0xB6});  // left open on purpose
    EXPECT_EQ(host.read(64).size(), 64u);
  }
  UsbHost host(socket());
  Bytes padded = m_image;
  padded.resize(packets() * 62, 0);
  EXPECT_EQ(host.download(), padded);
}

TEST_F(UsbPenTest, TerminationRemovesTheSocket) {
  auto pen = start();
  struct stat st;
  ASSERT_EQ(lstat(socket().c_str(), &st), 0);
  EXPECT_TRUE(S_ISSOCK(st.st_mode));
  EXPECT_EQ(pen->process().stop(), 0);
  EXPECT_NE(lstat(socket().c_str(), &st), 0);
}

TEST_F(UsbPenTest, PacedStreamDeliversEverything) {
  auto pen = start({"--rate", "400"});
  UsbHost host(socket());
  Bytes padded = m_image;
  padded.resize(packets() * 62, 0);
  EXPECT_EQ(host.download(), padded);
}

}  // namespace
}  // namespace scrivel::test
