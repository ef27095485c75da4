// How received bytes are handed out for each capacity.

#include "ports/portcore/receivebuffer.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace ports {
namespace {

std::vector<uint8_t> Bytes(size_t count, uint8_t first = 0) {
  std::vector<uint8_t> bytes(count);
  std::iota(bytes.begin(), bytes.end(), first);
  return bytes;
}

TEST(ReceiveBuffer, TakesInTheUnitsOfItsPen) {
  struct Row {
    const char* name;
    size_t reportSize;
    size_t received;
    std::vector<size_t> capacities;
    std::vector<size_t> expected;  // counts delivered, call by call
  };
  const Row rows[] = {
      {"bytes: whatever fits", 1, 100, {20, 20, 64, 64}, {20, 20, 60, 0}},
      {"bytes: nothing waiting", 1, 0, {2048}, {0}},
      {"reports: as many whole ones as fit", 64, 320, {130, 64, 2048}, {128, 64, 128}},
      {"reports: a partial one waits", 64, 100, {2048, 64}, {64, 0}},
      {"reports: nothing complete yet", 64, 63, {2048}, {0}},
      {"reports: small buffers get bytes", 64, 128, {20, 20, 20, 20}, {20, 20, 20, 20}},
      {"reports: a larger call completes the report a small one began", 64, 320,
       {128, 64, 63, 2048}, {128, 64, 63, 65}},
      {"reports: the rest of a begun report alone if no whole one follows", 64, 100,
       {10, 2048, 2048}, {10, 54, 0}},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(row.name);
    ReceiveBuffer buffer(row.reportSize);
    const std::vector<uint8_t> in = Bytes(row.received);
    buffer.Append(in.data(), in.size());
    std::vector<uint8_t> out;
    for (size_t i = 0; i < row.capacities.size(); ++i) {
      std::vector<uint8_t> chunk(row.capacities[i] + 16, 0xEE);
      const size_t n = buffer.Take(chunk.data(), row.capacities[i]);
      EXPECT_EQ(n, row.expected[i]) << "call " << i;
      for (size_t j = row.capacities[i]; j < chunk.size(); ++j) ASSERT_EQ(chunk[j], 0xEE);
      out.insert(out.end(), chunk.begin(), chunk.begin() + static_cast<std::ptrdiff_t>(n));
    }
    EXPECT_TRUE(std::equal(out.begin(), out.end(), in.begin())) << "order kept";
  }
}

TEST(ReceiveBuffer, KnowsWhenSomethingIsDeliverable) {
  ReceiveBuffer bytes(1);
  EXPECT_FALSE(bytes.HasDeliverable());
  const std::vector<uint8_t> one = Bytes(1);
  bytes.Append(one.data(), one.size());
  EXPECT_TRUE(bytes.HasDeliverable());

  ReceiveBuffer reports(64);
  const std::vector<uint8_t> in = Bytes(100);
  reports.Append(in.data(), 63);
  EXPECT_FALSE(reports.HasDeliverable()) << "a partial report is not announced";
  reports.Append(in.data() + 63, 37);
  EXPECT_TRUE(reports.HasDeliverable());
  uint8_t out[64];
  ASSERT_EQ(reports.Take(out, 64), 64u);
  EXPECT_FALSE(reports.HasDeliverable()) << "36 bytes of the next report";
  ASSERT_EQ(reports.Take(out, 10), 10u);  // a small reader
  EXPECT_EQ(reports.Size(), 26u);
  EXPECT_FALSE(reports.HasDeliverable());
  const std::vector<uint8_t> more = Bytes(28);
  reports.Append(more.data(), more.size());
  EXPECT_TRUE(reports.HasDeliverable()) << "the rest of the begun report is there";
  EXPECT_EQ(reports.Take(out, 64), 54u);
  EXPECT_EQ(reports.Size(), 0u);
}

TEST(ReceiveBuffer, ClearStartsAtAReportBoundary) {
  ReceiveBuffer reports(64);
  const std::vector<uint8_t> in = Bytes(200);
  reports.Append(in.data(), 100);
  uint8_t out[256];
  ASSERT_EQ(reports.Take(out, 10), 10u);
  reports.Clear();
  EXPECT_EQ(reports.Size(), 0u);
  reports.Append(in.data(), 64);
  EXPECT_EQ(reports.Take(out, 256), 64u);
}

TEST(ReceiveBuffer, LongStreamsStayInOrder) {
  ReceiveBuffer buffer(1);
  std::vector<uint8_t> in(100000);
  for (size_t i = 0; i < in.size(); ++i) in[i] = static_cast<uint8_t>(i * 31 + i / 251);
  std::vector<uint8_t> out;
  size_t fed = 0;
  uint8_t chunk[333];
  while (out.size() < in.size()) {
    const size_t n = std::min<size_t>(777, in.size() - fed);
    buffer.Append(in.data() + fed, n);
    fed += n;
    const size_t got = buffer.Take(chunk, sizeof chunk);
    out.insert(out.end(), chunk, chunk + got);
  }
  EXPECT_TRUE(out == in);
}

}  // namespace
}  // namespace ports
