#include "update/manifest.h"

namespace scrivel {

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name == "..") return false;
  for (const unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
  }
  return true;
}

ManifestEntries ParseManifestEntries(const std::string& manifest) {
  ManifestEntries result;
  size_t position = manifest.find(';');
  while (position != std::string::npos) {
    const size_t next = manifest.find(';', position + 1);
    if (next == std::string::npos) break;  // a last entry without ";" does not count
    const std::string entry = manifest.substr(position + 1, next - position - 1);
    const size_t comma = entry.find(',');
    if (comma == std::string::npos) {
      result.entries.clear();
      result.error = "manifest entry without a digest: \"" + entry + "\"";
      return result;
    }
    UpDataFileNameAndMD5Num item{entry.substr(0, comma), entry.substr(comma + 1)};
    if (!IsPlainFileName(item.strFileName)) {
      result.entries.clear();
      result.error = "manifest names a file outside the application folder: \"" + item.strFileName + "\"";
      return result;
    }
    result.entries.push_back(std::move(item));
    position = next;
  }
  return result;
}

}  // namespace scrivel
