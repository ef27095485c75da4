#pragma once
// The update manifest: version ";" then entries name "," md5 ";" ...
// An entry counts only when a ";" follows it.

#include <optional>
#include <string>
#include <vector>

namespace scrivel {

struct UpDataFileNameAndMD5Num {
  std::string strFileName;
  std::string strMD5Num;  // 32 lowercase hexadecimal digits
};

// True for a plain file name of the application folder: not empty, no "/" or
// "\", not "." or "..", no control characters.
bool IsPlainFileName(const std::string& name);

struct ManifestEntries {
  std::vector<UpDataFileNameAndMD5Num> entries;
  std::string error;  // empty when every entry is acceptable
};

// The manifest's file entries in order. Any entry whose name is not a plain
// file name, or that has no ",", rejects the whole manifest (error set, no entries).
ManifestEntries ParseManifestEntries(const std::string& manifest);

}  // namespace scrivel
