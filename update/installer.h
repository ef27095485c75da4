#pragma once
// Downloading, verifying and installing the files an update manifest lists.
// Installing is all or nothing: every file is verified before any installed
// file changes; files are replaced by rename within the application folder;
// a failure restores every file already replaced and leaves "Version.txt" as it was.

#include <functional>
#include <string>
#include <vector>

#include "http/httpfetch.h"
#include "update/manifest.h"

namespace scrivel {

struct UpdateStepResult {
  bool ok = false;
  std::string error;                   // what went wrong, for the user
  std::vector<std::string> installed;  // names replaced or added (install step)
  std::vector<std::string> skipped;    // language modules of languages not installed
};

// Called with (files done, files in all).
using UpdateProgress = std::function<void(size_t, size_t)>;

// Downloads each entry from downloadBase + name into tempFolder and checks its
// MD5 (exact, lowercase). Stops at the first failure. Touches nothing else.
UpdateStepResult DownloadEntries(const std::vector<UpDataFileNameAndMD5Num>& entries,
                                 const std::string& downloadBase, const std::string& tempFolder,
                                 const UpdateProgress& progress = {}, const FetchLimits& limits = {});

// True for a language module that is installed only where its language already is.
bool IsLanguageModule(const std::string& name);

// Installs the downloaded entries from tempFolder into appFolder and writes
// newVersion into "Version.txt", as one transaction.
UpdateStepResult InstallEntries(const std::vector<UpDataFileNameAndMD5Num>& entries,
                                const std::string& appFolder, const std::string& tempFolder,
                                const std::string& newVersion);

}  // namespace scrivel
