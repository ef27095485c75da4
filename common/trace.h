#pragma once
// Diagnostic trace: one line on stderr, written only when SCRIVEL_TRACE is set
// (read once, at the first trace of the process).

namespace scrivel {

// printf-style; a line end is added when the text has none.
void Trace(const char* format, ...) __attribute__((format(printf, 1, 2)));

bool TraceEnabled();

}  // namespace scrivel
