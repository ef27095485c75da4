// The serial dialect against an in-process pen on a virtual clock.

#include "nibdl/serialdialect.h"

#include <gtest/gtest.h>

#include "tests/nibdl/downloadharness.h"
#include "tests/nibdl/fakeserialpen.h"
#include "tests/nibdl/notebuilder.h"

namespace nibdl::test {
namespace {

Bytes PageNote(int points, uint8_t flags = 0, uint32_t stamp = 0) {
  return MakeNote(Stroke(points), flags, stamp);
}

TEST(SendWakeUp, AwakePen) {
  FakeSerialPen pen;
  EXPECT_TRUE(SendWakeUp(pen));
  EXPECT_EQ(pen.CountSent(0xFF), 1);
}

TEST(SendWakeUp, SleepingPenIsAskedTwice) {
  FakeSerialPen pen;
  pen.sleeping = true;
  EXPECT_FALSE(SendWakeUp(pen));
  EXPECT_EQ(pen.CountSent(0xFF), 2);
  EXPECT_EQ(pen.retrievals(), 1 + 101 + 1);
}

TEST(SetCommandMode, Results) {
  FakeSerialPen confirmed;
  EXPECT_EQ(SetCommandMode(confirmed, 1), 0);
  EXPECT_EQ(confirmed.CountSent(0xA0, 1), 1);

  FakeSerialPen asleep;
  asleep.sleeping = true;
  EXPECT_EQ(SetCommandMode(asleep, 1), 2);
  EXPECT_EQ(asleep.CountSent(0xA0), 0);

  FakeSerialPen silent;
  silent.confirmMode = false;
  silent.Deliver({0x03, 0xA0}, 300);  // two stray bytes, never the confirmation
  EXPECT_EQ(SetCommandMode(silent, 0), 1002);
  EXPECT_EQ(silent.retrievals(), 1 + 1 + 200) << "wake-up reads, then 200 polls";
}

TEST(SetCommandMode, FindsTheConfirmationSplitAcrossTwoReads) {
  FakeSerialPen pen;
  pen.splitConfirm = true;
  EXPECT_EQ(SetCommandMode(pen, 1), 0);
}

TEST(SetCommandMode, FindsTheConfirmationAfterOtherBytes) {
  FakeSerialPen pen;
  pen.confirmMode = false;
  pen.Deliver({0x55, 0x03, 0xA0, 0x00, 0x03, 0xA0}, 60);  // 03 A0 00 is not the mode asked for
  pen.Deliver({0x01}, 200);
  EXPECT_EQ(SetCommandMode(pen, 1), 0);
}

TEST(DownloadSerial, SeveralNotesBecomePages) {
  FakeSerialPen pen;
  pen.notes = {PageNote(30, 0x08, 100), PageNote(5), PageNote(200, 0x02, 1440)};
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadSerial(h.download), DUVO_OK);
  ASSERT_EQ(h.pages.Count(), 2) << "the 6-record note is dropped";
  DUVOPAGE* points = nullptr;
  int count = 0;
  ASSERT_TRUE(h.pages.Take(1, &points, &count));
  EXPECT_EQ(count, 31);
  EXPECT_EQ(points[0].wEvent, DUVO_EVT_PENDOWN);
  EXPECT_EQ(points[0].y, 200 + 1150) << "mode 0";
  EXPECT_EQ(points[30].wEvent, DUVO_EVT_PENUP);
  std::free(points);
  EXPECT_EQ(h.pages.Info(1).timeStamp, 100u);
  EXPECT_EQ(h.pages.Info(1).flipped, 1);
  EXPECT_EQ(h.pages.Info(2).uploaded, 0);
  ASSERT_TRUE(h.pages.Take(2, &points, &count));
  EXPECT_EQ(count, 201) << "a note of several packets arrives whole";
  std::free(points);

  const std::vector<std::pair<int, int>> expected{{1, 33}, {1, 66}, {1, 100}};
  EXPECT_EQ(h.calls, expected);
  EXPECT_EQ(h.progress.load(), 100u);
  EXPECT_EQ(pen.CountSent(0xB8, 0x03), 3);
  EXPECT_EQ(pen.CountSent(0xB8, 0x02), 0);
}

TEST(DownloadSerial, EmptyPenAfterThreeGoodReplies) {
  FakeSerialPen pen;
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadSerial(h.download), DUVO_OK);
  EXPECT_EQ(h.pages.Count(), 0);
  EXPECT_EQ(pen.CountSent(0xB5), 3);
}

TEST(DownloadSerial, NoteCountOf200) {
  FakeSerialPen pen;
  pen.countOverride = 200;
  pen.notes = {PageNote(20)};
  pen.deadAfterNotes = 1;  // note 2 is never answered: the download ends there
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadSerial(h.download), DUVO_E_TIMEOUT);
  ASSERT_FALSE(h.calls.empty());
  EXPECT_EQ(h.calls[0], std::make_pair(1, 0)) << "1 * 100 / 200";
  EXPECT_EQ(h.pages.Count(), 1) << "pages decoded before the failure stay";
}

TEST(DownloadSerial, Note256IsRequestedLowByteFirst) {
  FakeSerialPen pen;
  for (int i = 0; i < 255; ++i) pen.notes.push_back(PageNote(2));
  pen.notes.push_back(PageNote(25));
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadSerial(h.download), DUVO_OK);
  EXPECT_EQ(h.pages.Count(), 1);
  EXPECT_EQ(pen.CountSent(0xB6, 0x00), 1);
  EXPECT_EQ(pen.infoRequests.back(), 256);
  bool found = false;
  for (const Bytes& c : pen.sent()) found |= c == Bytes{0xB6, 0x00, 0x01};
  EXPECT_TRUE(found) << "B6 00 01";
}

TEST(DownloadSerial, ThreeBadCountRepliesKeepTheLastCount) {
  FakeSerialPen pen;
  pen.notes = {PageNote(20)};
  pen.badCountReplies = 3;
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadSerial(h.download), DUVO_OK);
  EXPECT_EQ(pen.CountSent(0xB5), 1) << "a non-zero count ends the loop even when its check failed";
  EXPECT_EQ(h.pages.Count(), 1);
}

TEST(DownloadSerial, BadInfoRepliesAreAskedAgain) {
  FakeSerialPen pen;
  pen.notes = {PageNote(20)};
  pen.badInfoReplies = 2;
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadSerial(h.download), DUVO_OK);
  EXPECT_EQ(pen.infoRequests.size(), 3u);
  EXPECT_EQ(h.pages.Count(), 1);
}

TEST(DownloadSerial, DamagedAndLostPacketsAreSentAgain) {
  FakeSerialPen pen;
  pen.notes = {PageNote(100)};  // 418 bytes: 7 packets
  pen.corruptOnce = {{1, 1}, {1, 4}};
  pen.dropOnce = {{1, 2}};
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadSerial(h.download), DUVO_OK);
  ASSERT_EQ(h.pages.Count(), 1);
  DUVOPAGE* points = nullptr;
  int count = 0;
  h.pages.Take(1, &points, &count);
  EXPECT_EQ(count, 101);
  for (int i = 0; i < 100; ++i) ASSERT_EQ(points[i].x, 100 + i) << i;
  std::free(points);
  EXPECT_EQ(pen.CountSent(0xB8, 0x02), 3);
}

TEST(DownloadSerial, ThreeFailuresInARowEndTheNoteWithWhatArrived) {
  FakeSerialPen pen;
  pen.notes = {PageNote(100), PageNote(30)};
  pen.corruptAlways = {{1, 3}};  // bytes 189 on of note 1 never arrive intact
  DownloadHarness h(pen);
  ASSERT_EQ(DownloadSerial(h.download), DUVO_OK);
  ASSERT_EQ(h.pages.Count(), 2);
  int count = 0;
  h.pages.Take(1, nullptr, &count);
  EXPECT_EQ(count, (3 * 63 - 14) / 4) << "three packets arrived; the partial sample is ignored";
  h.pages.Take(2, nullptr, &count);
  EXPECT_EQ(count, 31);
  EXPECT_EQ(pen.CountSent(0xB8, 0x02), 3);
}

TEST(DownloadSerial, PenThatNeverWakesFailsWithoutHanging) {
  FakeSerialPen pen;
  pen.sleeping = true;
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadSerial(h.download), DUVO_E_PROTOCOL);
  EXPECT_EQ(h.pages.Count(), 0);
}

TEST(DownloadSerial, SilentCountReplyIsAProtocolError) {
  FakeSerialPen pen;
  pen.silentAfterCount = true;
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadSerial(h.download), DUVO_E_PROTOCOL);
}

TEST(DownloadSerial, PenDyingMidwayKeepsEarlierPagesAndEndsInBoundedTime) {
  FakeSerialPen pen;
  pen.notes = {PageNote(20), PageNote(21), PageNote(22), PageNote(23)};
  pen.deadAfterNotes = 2;
  DownloadHarness h(pen);
  h.pages.Replace({});
  EXPECT_EQ(DownloadSerial(h.download), DUVO_E_TIMEOUT);
  EXPECT_EQ(h.pages.Count(), 2);
  EXPECT_LT(pen.now(), 60'000u) << "virtual time: the note-information loop is bounded";
  EXPECT_EQ(pen.infoRequests.size(), 2u + 10u);
}

TEST(DownloadSerial, PenGoneEndsTheDownload) {
  FakeSerialPen pen;
  pen.notes = {PageNote(20), PageNote(21)};
  pen.GoneAt(0);
  DownloadHarness h(pen);
  EXPECT_EQ(DownloadSerial(h.download), DUVO_E_TIMEOUT);
}

TEST(GetNote, StopsAfterThreeEmptyReads) {
  FakeSerialPen pen;  // no transfer under way: nothing ever comes
  std::vector<uint8_t> buffer(kNoteBufferSize);
  EXPECT_EQ(GetNote(pen, 500, buffer.data()), 0u);
  EXPECT_EQ(pen.CountSent(0xB8, 0x02), 3);
}

TEST(GetNote, StopsAfterThreeDamagedPackets) {
  FakeLink link;
  for (int i = 0; i < 3; ++i) link.Deliver({3, 1, 2, 4}, 10 * i);  // XOR fails
  link.Deliver({3, 1, 2, 3}, 100);
  std::vector<uint8_t> buffer(kNoteBufferSize);
  EXPECT_EQ(GetNote(link, 500, buffer.data()), 0u);
  EXPECT_EQ(link.CountSent(0xB8, 0x02), 3);
  EXPECT_EQ(link.CountSent(0xB8, 0x00), 0);
}

TEST(EraseSerial, Results) {
  FakeSerialPen ok;
  ok.notes = {PageNote(20)};
  EXPECT_EQ(EraseSerial(ok), 0u);
  EXPECT_TRUE(ok.notes.empty());
  EXPECT_EQ(ok.CountSent(0xA0, 0x00), 1) << "command mode is left";

  FakeSerialPen refused;
  refused.eraseStatus = 0xFE;
  EXPECT_EQ(EraseSerial(refused), static_cast<uint32_t>(-2)) << "the status as a signed byte";

  FakeSerialPen garbled;
  garbled.badEraseReply = true;
  EXPECT_EQ(EraseSerial(garbled), DUVO_E_PROTOCOL);

  FakeSerialPen asleep;
  asleep.sleeping = true;
  EXPECT_EQ(EraseSerial(asleep), DUVO_E_PROTOCOL) << "command mode is not confirmed";
}

}  // namespace
}  // namespace nibdl::test
