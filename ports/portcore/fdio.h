#pragma once
// Writing to a non-blocking descriptor: every byte, across partial writes,
// EINTR and a full output buffer (waited for with poll, up to a time-out).

#include <cstddef>
#include <cstdint>

namespace ports {

enum class WriteMode { File, Socket };

// Writes all `length` bytes; false on an error or when the descriptor stays
// full for `timeoutMs`. Sockets are written without SIGPIPE.
bool WriteAll(int fd, const uint8_t* data, size_t length, WriteMode mode, int timeoutMs = 5000);

}  // namespace ports
