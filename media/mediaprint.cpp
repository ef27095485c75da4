#include "media/mediaprint.h"

#include <cstdarg>
#include <cstdio>

extern "C" {
#include <libavutil/error.h>
}

namespace scrivel {

void MediaPrint(const char* format, ...) {
  va_list args;
  va_start(args, format);
  std::vprintf(format, args);
  va_end(args);
  std::fflush(stdout);
}

std::string AvErr2Str(int error) {
  char text[AV_ERROR_MAX_STRING_SIZE] = {};
  av_make_error_string(text, sizeof text, error);
  return text;
}

void ReportAvError(const char* stage, const char* call, int error) {
  MediaPrint("%s: %s failed: %s\n", stage, call, AvErr2Str(error).c_str());
}

}  // namespace scrivel
