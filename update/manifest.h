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
// "\\", not "." and not starting with "..", no control characters. Spaces and
// letters beyond ASCII are plain.
bool IsPlainFileName(const std::string& name);

// Why the entries cannot be installed as one release: a name that is not
// plain, a file named twice, or "Version.txt" (the updater writes it itself).
// Empty when they can.
std::string RefusedEntryNames(const std::vector<UpDataFileNameAndMD5Num>& entries);

struct ManifestEntries {
  std::vector<UpDataFileNameAndMD5Num> entries;
  std::string error;  // empty when every entry is acceptable
};

// The manifest's file entries in order. An entry without a ",", or names that
// RefusedEntryNames refuses, reject the whole manifest (error set, no entries).
ManifestEntries ParseManifestEntries(const std::string& manifest);

}  // namespace scrivel
