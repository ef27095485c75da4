// The USB packet store: filing, checking, stripping; the count reply; the dump file.

#include "nibdl/packetstore.h"

#include <gtest/gtest.h>

#include <cstring>
#include <ctime>

#include "nibdl/dumpfile.h"
#include "nibdl/usbdialect.h"
#include "tests/nibdl/notebuilder.h"
#include "tests/support/tempdir.h"

namespace nibdl::test {
namespace {

Bytes Packet(uint32_t p, uint8_t fill = 0x11) {
  Bytes packet(kPacketSize, fill);
  packet[0] = static_cast<uint8_t>(p >> 8);
  packet[1] = static_cast<uint8_t>(p & 0xFF);
  return packet;
}

Bytes Join(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) all.insert(all.end(), part.begin(), part.end());
  return all;
}

TEST(StorePackets, FilesPacketsByNumberAndReturnsTheLast) {
  PacketStore packets;
  const Bytes data = Join({Packet(3, 0x33), Packet(1, 0x01), Packet(2, 0x22)});
  EXPECT_EQ(StorePackets(packets, data.data(), static_cast<uint32_t>(data.size())), 2u);
  EXPECT_EQ(packets.store[0 * 64 + 2], 0x01);
  EXPECT_EQ(packets.store[1 * 64 + 2], 0x22);
  EXPECT_EQ(packets.store[2 * 64 + 63], 0x33);
}

TEST(StorePackets, Limits) {
  struct Row {
    const char* what;
    Bytes data;
    uint32_t expected;
  };
  const Row rows[] = {
      {"less than one packet", Bytes(63, 0x01), 0},
      {"nothing", {}, 0},
      {"packet 0", Packet(0), 0},
      {"first packet", Packet(1), 1},
      {"last packet of a full memory", Packet(kMaxPackets), kMaxPackets},
      {"beyond the memory", Packet(kMaxPackets + 1), 0},
      {"0xFFFF", Packet(0xFFFF), 0},
      {"a bad packet after a good one", Join({Packet(5), Packet(0)}), 0},
      {"trailing part of a packet ignored", Join({Packet(7), Bytes(40, 0)}), 7},
  };
  for (const Row& row : rows) {
    PacketStore packets;
    EXPECT_EQ(StorePackets(packets, row.data.data(), static_cast<uint32_t>(row.data.size())), row.expected)
        << row.what;
  }
}

TEST(CheckPackets, AllOf300InAnyOrderWithPacket17Twice) {
  PacketStore packets;
  std::vector<uint32_t> order;
  for (uint32_t p = 300; p >= 1; --p) order.push_back(p);
  order.insert(order.begin() + 100, 17);
  for (uint32_t p : order) {
    const Bytes packet = Packet(p);
    ASSERT_EQ(StorePackets(packets, packet.data(), kPacketSize), p);
  }
  EXPECT_EQ(CheckPackets(packets, 300), 300u);
  for (uint32_t p = 1; p <= 300; ++p) ASSERT_EQ(packets.log[p], kPacketPresent) << p;
}

TEST(CheckPackets, MarksMissingPackets) {
  PacketStore packets;
  for (uint32_t p = 1; p <= 30; ++p) {
    if (p == 17 || p == 30) continue;
    const Bytes packet = Packet(p);
    StorePackets(packets, packet.data(), kPacketSize);
  }
  EXPECT_EQ(CheckPackets(packets, 30), 28u);
  EXPECT_EQ(packets.log[17], kPacketMissing);
  EXPECT_EQ(packets.log[30], kPacketMissing);
  EXPECT_EQ(packets.log[16], kPacketPresent);
}

TEST(CheckPackets, AFullMemoryFitsTheLog) {
  PacketStore packets;
  const Bytes last = Packet(kMaxPackets);
  StorePackets(packets, last.data(), kPacketSize);
  EXPECT_EQ(CheckPackets(packets, kMaxPackets), 1u);
  EXPECT_EQ(packets.log[kMaxPackets], kPacketPresent);
}

TEST(FileMissingPackets, FilesOnlyMissingPacketsInRange) {
  PacketStore packets;
  const Bytes data = Join({Packet(2), Packet(0), Packet(9), Packet(4), Packet(2)});
  packets.log[2] = kPacketMissing;
  packets.log[4] = kPacketPresent;
  EXPECT_EQ(FileMissingPackets(packets, 8, data.data(), static_cast<uint32_t>(data.size())), 1u);
  EXPECT_EQ(packets.log[2], kPacketPresent);
  EXPECT_EQ(packets.log[9], kPacketMissing) << "beyond the count";
}

TEST(StripPacketNumbers, PutsPayloadsBackToBack) {
  PacketStore packets;
  for (uint32_t p = 1; p <= 3; ++p) {
    Bytes packet = Packet(p, static_cast<uint8_t>(p));
    StorePackets(packets, packet.data(), kPacketSize);
  }
  EXPECT_EQ(StripPacketNumbers(packets, 3), 3u * 62);
  EXPECT_EQ(packets.store[0], 1);
  EXPECT_EQ(packets.store[61], 1);
  EXPECT_EQ(packets.store[62], 2);
  EXPECT_EQ(packets.store[185], 3);
  for (size_t i = 186; i < 186 + 62; ++i) ASSERT_EQ(packets.store[i], 0) << i;
}

TEST(ParsePacketCount, Marker) {
  struct Row {
    Bytes data;
    uint32_t expected;
  };
  const Row rows[] = {
      {{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0x01, 0x2C}, 300},
      {{0x00, 0x13, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0x84, 0x22, 0x00}, 33826},
      {{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0x00, 0x05}, 0xAA00},  // the first five AA bytes count
      {{0xAA, 0xAA, 0xAA, 0xAA, 0x00, 0x01}, 0xFFFFFFFF},
      {{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0x01}, 0xFFFFFFFF},  // count cut off
      {{}, 0xFFFFFFFF},
      {{0xAA, 0xAA, 0xAA, 0xAA, 0xAA, 0x00, 0x00}, 0},
  };
  for (const Row& row : rows)
    EXPECT_EQ(ParsePacketCount(row.data.data(), static_cast<uint32_t>(row.data.size())), row.expected)
        << ::testing::PrintToString(row.data);
}

TEST(DumpFile, NameIsTheUtcTime) {
  std::tm utc{};
  utc.tm_year = 2024 - 1900;
  utc.tm_mon = 2;
  utc.tm_mday = 7;
  utc.tm_hour = 9;
  utc.tm_min = 5;
  utc.tm_sec = 3;
  EXPECT_EQ(DumpFileName(utc), "20240307090503.mbf");
}

TEST(DumpFile, WritesThePacketRecordsAsReceived) {
  scrivel::test::TempDir dir;
  PacketStore packets;
  const Bytes data = Join({Packet(1, 0xA1), Packet(2, 0xB2)});
  StorePackets(packets, data.data(), static_cast<uint32_t>(data.size()));
  const std::string path = WriteDumpFile(dir.path(), packets.store.data(), 2);
  ASSERT_FALSE(path.empty());
  EXPECT_EQ(path.size(), dir.path().size() + 1 + 18);
  EXPECT_EQ(scrivel::test::ReadFile(path), std::string(data.begin(), data.end()));
}

TEST(DumpFile, NothingForAnEmptyStore) {
  scrivel::test::TempDir dir;
  PacketStore packets;
  EXPECT_TRUE(WriteDumpFile(dir.path(), packets.store.data(), 0).empty());
  EXPECT_TRUE(WriteDumpFile(dir.path(), nullptr, 5).empty());
  EXPECT_TRUE(WriteDumpFile(dir.file("missing/folder"), packets.store.data(), 1).empty())
      << "a file that cannot be created is skipped";
}

}  // namespace
}  // namespace nibdl::test
