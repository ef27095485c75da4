#include "nibdl/dumpfile.h"

#include <cstdio>

#include "common/trace.h"
#include "nibdl/packetstore.h"

namespace nibdl {

std::string DumpFileName(const std::tm& utc) {
  char name[64];
  std::snprintf(name, sizeof name, "%04d%02d%02d%02d%02d%02d.mbf", utc.tm_year + 1900,
                utc.tm_mon + 1, utc.tm_mday, utc.tm_hour, utc.tm_min, utc.tm_sec);
  return name;
}

std::string WriteDumpFile(const std::string& folder, const uint8_t* store,
                          uint32_t packetsInMemory) {
  if (store == nullptr || packetsInMemory == 0) return {};
  const time_t now = std::time(nullptr);
  std::tm utc{};
  gmtime_r(&now, &utc);
  const std::string path = folder + "/" + DumpFileName(utc);
  std::FILE* file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    scrivel::Trace("NibDL.dll: cannot create %s", path.c_str());
    return {};
  }
  const size_t records = std::fwrite(store, kPacketSize, packetsInMemory, file);
  const bool closed = std::fclose(file) == 0;
  if (records != packetsInMemory || !closed) scrivel::Trace("NibDL.dll: %s is incomplete", path.c_str());
  return path;
}

}  // namespace nibdl
