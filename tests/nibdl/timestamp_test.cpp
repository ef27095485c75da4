// The time stamp text, with the time zone fixed by the test.

#include "nibdl/timestamp.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

namespace nibdl {
namespace {

class TimeStampText : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("TZ", "UTC", 1);
    tzset();
  }
};

std::string Format(uint32_t minutes) {
  char text[kTimeStampTextSize + 8];
  std::memset(text, '#', sizeof text);
  FormatTimeStamp(minutes, text, kTimeStampTextSize);
  EXPECT_EQ(text[kTimeStampTextSize], '#') << "wrote past 22 bytes";
  EXPECT_NE(std::memchr(text, '\0', kTimeStampTextSize), nullptr) << "not zero-terminated";
  return text;
}

TEST_F(TimeStampText, Stamps) {
  struct Row {
    uint32_t minutes;
    const char* text;
  };
  const Row rows[] = {
      {0, "(2008/01/01 00:00:00)"},
      {1440, "(2008/01/02 00:00:00)"},
      {59, "(2008/01/01 00:59:00)"},
      {60 * 24 * 59, "(2008/02/29 00:00:00)"},  // a leap year
      {60 * 24 * 366, "(2009/01/01 00:00:00)"},
      {8727841, "(2024/08/05 00:01:00)"},
  };
  for (const Row& row : rows) EXPECT_EQ(Format(row.minutes), row.text) << row.minutes;
}

TEST_F(TimeStampText, CorruptStampNeverOverrunsTheCallersBuffer) {
  // 0xFFFFFFFF minutes reach a five-digit year; the text is cut to fit.
  const std::string text = Format(0xFFFFFFFFu);
  EXPECT_EQ(text.size(), kTimeStampTextSize - 1);
  EXPECT_EQ(text.substr(0, 3), "(10");
}

TEST_F(TimeStampText, FollowsTheLocalTimeZone) {
  setenv("TZ", "Asia/Tokyo", 1);  // UTC+9 all year, no daylight saving
  tzset();
  EXPECT_EQ(Format(0), "(2008/01/01 00:00:00)") << "the epoch is local midnight";
  EXPECT_EQ(Format(61), "(2008/01/01 01:01:00)");
}

}  // namespace
}  // namespace nibdl
