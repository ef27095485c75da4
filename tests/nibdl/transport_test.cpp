// The transport helpers against a fake link on a virtual clock.

#include "nibdl/transport.h"

#include <gtest/gtest.h>

#include "tests/nibdl/fakelink.h"

namespace nibdl::test {
namespace {

TEST(CheckSum, PassesWhenTheLastByteIsTheXorOfTheOthers) {
  struct Row {
    Bytes data;
    int expected;
  };
  const Row rows[] = {
      {{}, 1},                        // an empty range passes
      {{0x00}, 1},
      {{0x5A}, 0},
      {{0x12, 0x12}, 1},
      {{0x01, 0x02, 0x03}, 1},
      {{0x01, 0x02, 0x04}, 0},
      {{0x07, 0x00, 0x00, 0x07}, 1},
  };
  for (const Row& row : rows)
    EXPECT_EQ(CheckSum(row.data.data(), static_cast<int>(row.data.size())), row.expected)
        << ::testing::PrintToString(row.data);
}

TEST(WaitForData, TimesOutWithLengthZero) {
  FakeLink link;
  uint8_t buffer[kDataBufferSize];
  uint32_t length = 99;
  EXPECT_FALSE(WaitForData(link, buffer, sizeof buffer, &length, 500));
  EXPECT_EQ(length, 0u);
  EXPECT_EQ(link.now(), 500u);
  EXPECT_EQ(link.retrievals(), 0);
}

TEST(WaitForData, RetrievesOnceWhenSignalled) {
  FakeLink link;
  link.Deliver({1, 2, 3}, 120);
  link.Deliver({4}, 120);
  uint8_t buffer[kDataBufferSize];
  uint32_t length = 0;
  ASSERT_TRUE(WaitForData(link, buffer, sizeof buffer, &length, 500));
  EXPECT_EQ(length, 4u);
  EXPECT_EQ(link.now(), 120u) << "the wait ends when the data arrives";
  EXPECT_EQ(link.retrievals(), 1);
}

TEST(ReadReply, StopsAtTheCallThatCompletesTheReply) {
  FakeLink link;
  link.maxPerRetrieve = 3;  // 3 + 3 + 3 bytes: the third call passes 8
  link.Deliver({0x07, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
  uint8_t reply[8 + kReplyBufferSize] = {};
  const uint32_t n = ReadReply(link, 8, reply, sizeof reply);
  EXPECT_EQ(n, 9u) << "all bytes of the last read are kept";
  EXPECT_EQ(link.retrievals(), 3);
  EXPECT_EQ(link.now(), 30u) << "10 ms after each call";
  EXPECT_EQ(reply[0], 0x07);
  EXPECT_EQ(reply[8], 8);
}

TEST(ReadReply, GivesUpAfterThirtyOneCalls) {
  FakeLink link;
  link.Deliver({0x06, 1, 2});
  uint8_t reply[7 + kReplyBufferSize] = {};
  EXPECT_EQ(ReadReply(link, 7, reply, sizeof reply), 3u);
  EXPECT_EQ(link.retrievals(), 31);
}

TEST(ReadReply, UsesTwentyByteReadsAndNeverOverrunsItsDestination) {
  FakeLink link;
  link.Deliver(Bytes(100, 0x33));
  uint8_t reply[24] = {};
  const uint32_t n = ReadReply(link, 30, reply, 10);
  EXPECT_EQ(link.retrievals(), 2) << "20 bytes per call: 40 >= 30 after the second";
  EXPECT_LE(n, 10u);
  EXPECT_EQ(reply[10], 0) << "nothing written past the given size";
}

TEST(ReadPacket, CollectsAPacketSplitAcrossReads) {
  FakeLink link;
  link.maxPerRetrieve = 5;
  Bytes packet{10, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10};
  link.Deliver(packet, 30);
  uint8_t dest[kPacketDestSize] = {};
  EXPECT_EQ(ReadPacket(link, dest), 10u);
  EXPECT_EQ(dest[0], 1);
  EXPECT_EQ(dest[9], 10);
}

TEST(ReadPacket, RejectsALengthAbove64) {
  FakeLink link;
  Bytes packet(70, 0);
  packet[0] = 65;
  link.Deliver(packet);
  uint8_t dest[kPacketDestSize] = {};
  EXPECT_EQ(ReadPacket(link, dest), 0u);
}

TEST(ReadPacket, AcceptsTheLongestPacket) {
  FakeLink link;
  Bytes packet(65, 0x11);
  packet[0] = 64;
  link.Deliver(packet);
  uint8_t dest[kPacketDestSize] = {};
  EXPECT_EQ(ReadPacket(link, dest), 64u) << "a 64-byte buffer first, then the last byte";
}

TEST(ReadPacket, NothingWithin81Polls) {
  FakeLink link;
  link.Deliver({3, 1, 2, 3}, 1000);  // far too late
  uint8_t dest[kPacketDestSize] = {};
  EXPECT_EQ(ReadPacket(link, dest), 0u);
  EXPECT_EQ(link.retrievals(), 81);
  EXPECT_EQ(link.now(), 162u);
}

TEST(ReadPacket, IncompleteAfter82MorePolls) {
  FakeLink link;
  link.Deliver({10, 1, 2, 3});
  link.Deliver({4, 5, 6, 7, 8, 9, 10}, 1000);  // the rest comes too late
  uint8_t dest[kPacketDestSize] = {};
  EXPECT_EQ(ReadPacket(link, dest), 0u);
  EXPECT_EQ(link.retrievals(), 1 + 82);
}

}  // namespace
}  // namespace nibdl::test
