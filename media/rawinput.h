#pragma once
// A raw recording file opened for the encoders: the file and its size.

#include <cstdint>
#include <string>

#include "media/avdeleters.h"

namespace scrivel {

struct RawInput {
  FilePtr file;       // null when the file is missing or unreadable
  int64_t size = -1;  // in bytes
};

RawInput OpenRawInput(const std::string& path);

}  // namespace scrivel
