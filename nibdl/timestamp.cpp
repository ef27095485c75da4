#include "nibdl/timestamp.h"

#include <cstdio>
#include <ctime>

namespace nibdl {

void FormatTimeStamp(uint32_t minutes, char* text, size_t size) {
  if (text == nullptr || size == 0) return;
  std::tm epoch{};
  epoch.tm_year = 2008 - 1900;
  epoch.tm_mon = 0;
  epoch.tm_mday = 1;
  epoch.tm_isdst = -1;  // the system decides on daylight saving
  const time_t start = std::mktime(&epoch);
  const time_t when = start + static_cast<time_t>(minutes) * 60;
  std::tm local{};
  if (start == static_cast<time_t>(-1) || localtime_r(&when, &local) == nullptr) {
    text[0] = '\0';
    return;
  }
  std::snprintf(text, size, "(%04d/%02d/%02d %02d:%02d:%02d)", local.tm_year + 1900,
                local.tm_mon + 1, local.tm_mday, local.tm_hour, local.tm_min, local.tm_sec);
}

}  // namespace nibdl
