#include "update/manifest.h"

#include <set>

namespace scrivel {

bool IsPlainFileName(const std::string& name) {
  if (name.empty() || name == "." || name.starts_with("..")) return false;
  for (const unsigned char c : name) {
    if (c < 0x20 || c == 0x7F || c == '/' || c == '\\') return false;
  }
  return true;
}

std::string RefusedEntryNames(const std::vector<UpDataFileNameAndMD5Num>& entries) {
  std::set<std::string> seen;
  for (const auto& entry : entries) {
    const std::string& name = entry.strFileName;
    if (!IsPlainFileName(name)) return "manifest names a file outside the application folder: \"" + name + "\"";
    if (name == "Version.txt") return "manifest lists \"Version.txt\", which only the updater writes";
    if (!seen.insert(name).second) return "manifest names \"" + name + "\" twice";
  }
  return {};
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
    result.entries.push_back({entry.substr(0, comma), entry.substr(comma + 1)});
    position = next;
  }
  result.error = RefusedEntryNames(result.entries);
  if (!result.error.empty()) result.entries.clear();
  return result;
}

}  // namespace scrivel
