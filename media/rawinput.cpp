#include "media/rawinput.h"

#include <sys/types.h>

namespace scrivel {

RawInput OpenRawInput(const std::string& path) {
  RawInput input;
  FilePtr file(std::fopen(path.c_str(), "rb"));
  if (!file) return input;
  if (fseeko(file.get(), 0, SEEK_END) != 0) return input;
  const int64_t size = ftello(file.get());
  if (size < 0 || fseeko(file.get(), 0, SEEK_SET) != 0) return input;
  input.file = std::move(file);
  input.size = size;
  return input;
}

}  // namespace scrivel
