#include "common/trace.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace scrivel {

bool TraceEnabled() {
  // Read once: traces come from every thread, and the environment may be
  // changed meanwhile by the host (getenv is not safe against setenv).
  static const bool enabled = [] {
    const char* value = std::getenv("SCRIVEL_TRACE");
    return value != nullptr && *value != '\0';
  }();
  return enabled;
}

void Trace(const char* format, ...) {
  if (!TraceEnabled()) return;
  char line[1024];
  va_list args;
  va_start(args, format);
  int n = std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  if (n < 0) return;
  size_t len = std::strlen(line);
  // One write per line, so lines from several threads do not interleave.
  if (len == 0 || line[len - 1] != '\n') {
    if (len + 1 < sizeof line) {
      line[len++] = '\n';
      line[len] = '\0';
    } else {
      line[len - 1] = '\n';
    }
  }
  std::fwrite(line, 1, len, stderr);
}

}  // namespace scrivel
