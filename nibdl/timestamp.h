#pragma once
// The text form of a page's time stamp.

#include <cstddef>
#include <cstdint>

namespace nibdl {

// What DUVOGetTimeStamp's caller provides: 21 characters and the zero.
constexpr size_t kTimeStampTextSize = 22;

// Writes "(YYYY/MM/DD hh:mm:ss)": local time 2008-01-01 00:00:00 plus
// `minutes`. Never writes more than `size` bytes and always ends the text
// with a zero; a stamp past the year 9999 is cut short to fit.
void FormatTimeStamp(uint32_t minutes, char* text, size_t size);

}  // namespace nibdl
