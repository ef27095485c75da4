// The USB dialect against an in-process pen on a virtual clock.

#include "nibdl/usbdialect.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <set>
#include <filesystem>

#include "nibdl/pointtransform.h"
#include "nibdl/versionreport.h"
#include "tests/nibdl/downloadharness.h"
#include "tests/nibdl/fakeusbpen.h"
#include "tests/nibdl/notebuilder.h"
#include "tests/support/tempdir.h"

namespace nibdl::test {
namespace {

// An image of `pages` notes of 25 points each, padded with zeros (no more
// notes) to `packets` packets.
Bytes ImageOf(int pages, uint32_t packets = 0) {
  Bytes image = MakeImage(std::vector<std::vector<Sample>>(pages, Stroke(25)));
  if (image.size() < packets * 62) image.resize(packets * 62, 0);
  return image;
}

TEST(GetPacketCount, ReadsTheCountAfterTheMarker) {
  FakeUsbPen pen;
  pen.packetCount = 300;
  uint32_t count = 0;
  EXPECT_EQ(GetPacketCount(pen, &count), DUVO_OK);
  EXPECT_EQ(count, 300u);
  EXPECT_EQ(pen.CountSent(0xB5), 1);
}

TEST(GetPacketCount, StaleReportsFromAnEarlierStreamAreNotTheAnswer) {
  FakeUsbPen pen;
  pen.packetCount = 12;
  for (uint32_t p = 1; p <= 40; ++p) pen.Deliver(pen.Packet(p));  // the tail of a stopped stream
  uint32_t count = 0;
  EXPECT_EQ(GetPacketCount(pen, &count), DUVO_OK);
  EXPECT_EQ(count, 12u);
  EXPECT_EQ(pen.CountSent(0xB5), 1) << "no surplus count requests that would land in the stream";
}

TEST(GetPacketCount, NoAnswerTimesOutAfterElevenWaits) {
  FakeUsbPen pen;
  pen.answerCount = false;
  uint32_t count = 0;
  EXPECT_EQ(GetPacketCount(pen, &count), DUVO_E_TIMEOUT);
  EXPECT_EQ(pen.now(), 1100u);
}

TEST(GetPacketCount, ACountAboveTheMemoryIsAskedAgain) {
  FakeUsbPen pen;
  pen.packetCount = 40000;
  uint32_t count = 0;
  EXPECT_EQ(GetPacketCount(pen, &count), DUVO_E_PROTOCOL) << "every wait brought an answer";
  EXPECT_EQ(pen.CountSent(0xB5), 1 + 2 * 11) << "B5 twice more after each bad answer";

  FakeLink noise;  // answers nothing but a report without the marker, once
  noise.wholeChunks = true;
  noise.Deliver(Bytes(64, 0x42));
  for (int i = 0; i < 11; ++i) noise.Deliver(Bytes(64, 0x42), 50 + 100 * i);
  EXPECT_EQ(GetPacketCount(noise, &count), DUVO_E_PROTOCOL) << "the last wait brought data";
}

TEST(DownloadUsb, DecodesTheImage) {
  FakeUsbPen pen;
  pen.SetImage(ImageOf(3));
  DownloadHarness h(pen, 1);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  ASSERT_EQ(h.pages.Count(), 3);
  DUVOPAGE* points = nullptr;
  int count = 0;
  h.pages.Take(1, &points, &count);
  EXPECT_EQ(count, 26);
  int16_t x = 0, y = 0;
  PointTransform mode1;
  mode1.SetMode(1, 0);
  mode1.Apply(100, 200, &x, &y);
  EXPECT_EQ(points[0].x, x) << "the transform mode comes from the route library";
  EXPECT_EQ(points[0].y, y);
  std::free(points);
  EXPECT_EQ(pen.CountSent(0xB6), 2) << "the stream runs between two B6";
  EXPECT_EQ(pen.CountSent(0xB7), 0);
  EXPECT_FALSE(pen.erased);
  EXPECT_EQ(h.progress.load(), 100u);
  EXPECT_EQ(h.calls, (std::vector<std::pair<int, int>>{{1, 100}}));
}

TEST(DownloadUsb, PacketsInAnyOrderWithPacket17Twice) {
  FakeUsbPen pen;
  pen.SetImage(ImageOf(4, 300));
  ASSERT_EQ(pen.packetCount, 300u);
  for (uint32_t p = 1; p <= 300; ++p) pen.streamOrder.push_back(p);
  std::reverse(pen.streamOrder.begin() + 10, pen.streamOrder.end() - 20);
  std::swap(pen.streamOrder[0], pen.streamOrder[150]);
  pen.streamOrder.insert(pen.streamOrder.begin() + 40, 17);
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  EXPECT_EQ(pen.CountSent(0xB7), 0);
  EXPECT_EQ(h.pages.Count(), 4);
}

TEST(DownloadUsb, AMissingPacketIsAskedForOnce) {
  FakeUsbPen pen;
  pen.SetImage(ImageOf(4, 300));
  for (uint32_t p = 1; p <= 300; ++p)
    if (p != 17) pen.streamOrder.push_back(p);
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  EXPECT_EQ(pen.CountSent(0xB7), 1);
  EXPECT_EQ(pen.CountSent(0xB7, 0x00), 1);
  bool asked = false;
  for (const Bytes& c : pen.sent()) asked |= c == Bytes{0xB7, 0x00, 0x11};
  EXPECT_TRUE(asked) << "B7 00 11";
  EXPECT_EQ(h.pages.Count(), 4);
}

TEST(DownloadUsb, TheLastPacketIsAskedForToo) {
  FakeUsbPen pen;
  pen.SetImage(ImageOf(2, 40));
  for (uint32_t p = 1; p < pen.packetCount; ++p) pen.streamOrder.push_back(p);
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  ASSERT_EQ(pen.CountSent(0xB7), 1);
  EXPECT_EQ(h.pages.Count(), 2);
}

TEST(DownloadUsb, LastPacketEarlyThenTheRestDuringRecovery) {
  FakeUsbPen pen;
  pen.SetImage(ImageOf(5, 200));
  // The first read (32 reports) ends with the last packet number: the stream
  // loop stops there while the rest of the stream is still on its way.
  for (uint32_t p = 1; p <= 31; ++p) pen.streamOrder.push_back(p);
  pen.streamOrder.push_back(pen.packetCount);
  for (uint32_t p = 32; p < pen.packetCount; ++p) pen.streamOrder.push_back(p);
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  EXPECT_EQ(h.pages.Count(), 5);
  EXPECT_GE(pen.CountSent(0xB7), 1);
  EXPECT_LT(pen.CountSent(0xB7), 10) << "packets still streaming are filed, not each asked for";
}

TEST(DownloadUsb, MissingPacketNotSentAgain) {
  FakeUsbPen pen;
  pen.SetImage(ImageOf(4, 100));
  for (uint32_t p = 1; p <= 100; ++p)
    if (p != 30) pen.streamOrder.push_back(p);
  pen.neverResend = {30};
  DownloadHarness h(pen);
  h.pages.Replace({});
  EXPECT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_E_TIMEOUT);
  EXPECT_EQ(h.calls, (std::vector<std::pair<int, int>>{{2, 100}}));
  EXPECT_EQ(pen.CountSent(0xB6), 1) << "no second B6 after a failure";
}

TEST(DownloadUsb, PacketZeroIsAProtocolError) {
  FakeUsbPen pen;
  pen.SetImage(ImageOf(2));
  pen.streamOrder = {1, 0, 2};
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_E_PROTOCOL);
}

TEST(DownloadUsb, CorruptPacketNumberEndsTheDownload) {
  FakeUsbPen pen;
  pen.SetImage(ImageOf(2));
  pen.streamOrder = {1, 2, 0xFFFF};
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_E_PROTOCOL);
}

TEST(DownloadUsb, StalledStreamWithThePenGoneTimesOut) {
  FakeUsbPen pen;
  pen.SetImage(ImageOf(3, 50));
  pen.streamOrder = {1, 2, 3};
  pen.GoneAt(2000);
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_E_TIMEOUT);
  EXPECT_EQ(pen.CountSent(0xB7), 0);
}

TEST(DownloadUsb, OnlyShortNotesEraseThePen) {
  FakeUsbPen pen;
  pen.SetImage(MakeImage({Stroke(3), Stroke(10), Stroke(18)}));
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  EXPECT_EQ(h.pages.Count(), 0);
  EXPECT_TRUE(pen.erased);
  const auto& sent = pen.sent();
  ASSERT_GE(sent.size(), 3u);
  EXPECT_EQ(sent[sent.size() - 3], Bytes{0xB6});
  EXPECT_EQ(sent[sent.size() - 2], Bytes{0xB6});
  EXPECT_EQ(sent[sent.size() - 1], Bytes{0xB0});
}

TEST(DownloadUsb, OnlyShortNotesBeforeErasedFlashEraseThePen) {
  struct Row {
    const char* what;
    Bytes image;
  };
  Bytes shortNotes = MakeImage({Stroke(3), Stroke(10)});
  shortNotes.resize(10 * 62, 0xFF);
  const Row rows[] = {{"short notes, then erased flash", shortNotes},
                      {"nothing but erased flash", Bytes(10 * 62, 0xFF)}};
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FakeUsbPen pen;
    pen.SetImage(row.image);
    DownloadHarness h(pen);
    ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
    EXPECT_EQ(h.pages.Count(), 0);
    EXPECT_TRUE(pen.erased);
  }
}

// A stream cut off keeps the notes that lie wholly before the first packet
// missing, reports the failure and never erases the pen. Notes of 25 points
// are 118 bytes; a packet carries 62.
TEST(DownloadUsb, ACutOffDownloadKeepsTheNotesWhollyReceived) {
  struct Row {
    const char* what;
    Bytes image;
    std::vector<uint32_t> stream;
    std::set<uint32_t> neverResend;
    uint64_t goneAt;
    uint32_t code;
    int pages;
    std::vector<std::pair<int, int>> calls;
  };
  std::vector<uint32_t> allBut4;
  for (uint32_t p = 1; p <= 20; ++p)
    if (p != 4) allBut4.push_back(p);
  const Row rows[] = {
      {"the pen hangs up after packet 5", ImageOf(6, 20), {1, 2, 3, 4, 5}, {}, 2000, DUVO_E_TIMEOUT, 2, {}},
      {"packet 4 never comes again", ImageOf(6, 20), allBut4, {4}, 0, DUVO_E_TIMEOUT, 1, {{2, 100}}},
      {"only short notes came whole", MakeImage({Stroke(3), Stroke(3), Stroke(60)}), {1, 2}, {}, 2000,
       DUVO_E_TIMEOUT, 0, {}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.what);
    FakeUsbPen pen;
    pen.SetImage(row.image);
    pen.streamOrder = row.stream;
    pen.neverResend = row.neverResend;
    if (row.goneAt != 0) pen.GoneAt(row.goneAt);
    DownloadHarness h(pen);
    EXPECT_EQ(DownloadUsb(h.download, kModeNormal), row.code);
    EXPECT_EQ(h.pages.Count(), row.pages);
    EXPECT_EQ(h.calls, row.calls);
    EXPECT_FALSE(pen.erased);
    for (int page = 1; page <= row.pages; ++page) {
      DUVOPAGE* points = nullptr;
      int count = 0;
      ASSERT_TRUE(h.pages.Take(page, &points, &count));
      EXPECT_EQ(count, 26);
      std::free(points);
    }
  }
}

TEST(DownloadUsb, AnImageWithABrokenLinkIsNeverErased) {
  Bytes image = MakeImage({Stroke(3), Stroke(3)});
  image[30] = 10;  // the second note's link points backwards
  FakeUsbPen pen;
  pen.SetImage(image);
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  EXPECT_EQ(h.pages.Count(), 0);
  EXPECT_FALSE(pen.erased);
}

TEST(DownloadUsb, AnImageWithALinkPastItsEndIsNeverErased) {
  Bytes image = MakeImage({Stroke(3)});
  image[2] = 0x10;  // far beyond the image
  FakeUsbPen pen;
  pen.SetImage(image);
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  EXPECT_FALSE(pen.erased);
}

TEST(DownloadUsb, EmptyPen) {
  FakeUsbPen pen;  // 0 packets
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  EXPECT_EQ(h.pages.Count(), 0);
  EXPECT_FALSE(pen.erased) << "nothing in memory: nothing to erase";
  EXPECT_LT(pen.now(), 1000u) << "no packets to wait for";
}

TEST(DownloadUsb, FailureLeavesThePreviousPages) {
  FakeUsbPen first;
  first.SetImage(ImageOf(2));
  DownloadHarness h(first);
  ASSERT_EQ(DownloadUsb(h.download, kModeNormal), DUVO_OK);
  FakeUsbPen second;
  second.answerCount = false;
  Download again{second, h.pages, h.progress, {}, 0, {}, {}};
  EXPECT_EQ(DownloadUsb(again, kModeNormal), DUVO_E_TIMEOUT);
  EXPECT_EQ(h.pages.Count(), 2);
}

TEST(DownloadUsb, DumpModeWritesThePacketImage) {
  scrivel::test::TempDir dir;
  FakeUsbPen pen;
  pen.SetImage(ImageOf(2));
  DownloadHarness h(pen);
  h.download.dumpFolder = dir.path();
  EXPECT_EQ(DownloadUsb(h.download, kModeDump), 1u);
  EXPECT_EQ(h.pages.Count(), 0) << "dump mode decodes nothing";
  EXPECT_TRUE(h.calls.empty());
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path())) files.push_back(entry.path());
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(files[0].extension(), ".mbf");
  EXPECT_EQ(files[0].stem().string().size(), 14u);
  Bytes expected;
  for (uint32_t p = 1; p <= pen.packetCount; ++p) {
    const Bytes packet = pen.Packet(p);
    expected.insert(expected.end(), packet.begin(), packet.end());
  }
  EXPECT_EQ(scrivel::test::ReadFile(files[0]), std::string(expected.begin(), expected.end()));
}

TEST(VersionReport, Fields) {
  const Bytes report{0x80, 0xA9, 0x07, 0x01, 0x1E, 0x02, 0x03, 0x04, 0x05, 0xEE, 0x00, 0x00};
  DUVOVERSION v{};
  ASSERT_TRUE(ParseVersionReport(report.data(), static_cast<uint32_t>(report.size()), &v));
  EXPECT_EQ(v.dwHead, 7u);
  EXPECT_EQ(v.dwVersion1, 0x011E0000u);
  EXPECT_EQ(v.dwVersion2, 0x02030000u);
  EXPECT_EQ(v.dwVersion3, 0x04050000u);
  EXPECT_EQ(v.dwTail, 0xEEu);
}

TEST(VersionReport, OldVersionsSwapTheFirstTwoFields) {
  const Bytes report{0x00, 0x80, 0xA9, 0x07, 0x01, 0x1D, 0x02, 0x03, 0x04, 0x05, 0xEE, 0x00};
  DUVOVERSION v{};
  ASSERT_TRUE(ParseVersionReport(report.data(), static_cast<uint32_t>(report.size()), &v));
  EXPECT_EQ(v.dwVersion1, 0x02030000u);
  EXPECT_EQ(v.dwVersion2, 0x011D0000u);
}

TEST(VersionReport, Absent) {
  const Bytes shortRead{0x80, 0xA9, 1, 2, 3, 4, 5, 6, 7, 8, 9};
  DUVOVERSION v{};
  EXPECT_FALSE(ParseVersionReport(shortRead.data(), static_cast<uint32_t>(shortRead.size()), &v));
  const Bytes tooLate{0, 0, 0, 0, 0x80, 0xA9, 1, 2, 3, 4, 5, 6};  // b6, b7 not inside
  EXPECT_FALSE(ParseVersionReport(tooLate.data(), static_cast<uint32_t>(tooLate.size()), &v));

  FakeLink silent;
  EXPECT_EQ(ReadVersionReport(silent, &v), DUVO_E_TIMEOUT);
  EXPECT_EQ(silent.now(), 1000u);
  EXPECT_EQ(silent.sent(), (std::vector<Bytes>{{0x95, 0x95}}));
}

TEST(VersionReport, FromTheUsbPen) {
  FakeUsbPen pen;
  DUVOVERSION v{};
  ASSERT_EQ(ReadVersionReport(pen, &v), DUVO_OK);
  EXPECT_EQ(v.dwHead, 1u);
  EXPECT_EQ(v.dwVersion1, 0x011E0000u);
  EXPECT_EQ(v.dwTail, 6u);
}

}  // namespace
}  // namespace nibdl::test
