#pragma once
// The dump file: the packet store as received, one 64-byte record per packet
// (packet numbers included), named after the current UTC time.

#include <cstdint>
#include <ctime>
#include <string>

namespace nibdl {

// "YYYYMMDDhhmmss.mbf" for the broken-down time `utc`.
std::string DumpFileName(const std::tm& utc);

// Writes `packetsInMemory` records of `store` to folder/DumpFileName(now);
// nothing when either is empty. Returns the path written, empty when nothing
// was (a file that cannot be opened is skipped silently).
std::string WriteDumpFile(const std::string& folder, const uint8_t* store,
                          uint32_t packetsInMemory);

}  // namespace nibdl
