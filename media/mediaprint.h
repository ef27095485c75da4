#pragma once
// The media stages' progress and failure lines: printed on stdout, flushed at
// once, so a parent process or a log sees them even if the stage ends badly.

#include <string>

namespace scrivel {

void MediaPrint(const char* format, ...) __attribute__((format(printf, 1, 2)));

// av_err2str for C++ (the macro relies on a C compound literal).
std::string AvErr2Str(int error);

// "<stage>: <call> failed: <error text>\n" for library failures that have no
// message of their own.
void ReportAvError(const char* stage, const char* call, int error);

}  // namespace scrivel
