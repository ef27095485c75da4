#include "update/installer.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>

#include "common/trace.h"
#include "update/md5digest.h"

namespace scrivel {
namespace {

const char kNewSuffix[] = ".scrivel-new";
const char kOldSuffix[] = ".scrivel-old";

bool Exists(const std::string& path) {
  struct stat st;
  return lstat(path.c_str(), &st) == 0;
}

// A new file gets execute bits when it looks like a program.
mode_t ModeForNewFile(const std::string& source) {
  char head[4] = {};
  std::ifstream in(source, std::ios::binary);
  in.read(head, 4);
  const bool program = std::memcmp(head, "\x7f" "ELF", 4) == 0 || std::memcmp(head, "#!", 2) == 0;
  return program ? 0755 : 0644;
}

// Copies source to target (created fresh) and flushes it to disk.
bool CopyFileDurably(const std::string& source, const std::string& target, mode_t mode,
                     std::string* error) {
  const int in = open(source.c_str(), O_RDONLY | O_CLOEXEC);
  if (in < 0) {
    *error = source + ": " + std::strerror(errno);
    return false;
  }
  const int out = open(target.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, mode);
  if (out < 0) {
    *error = target + ": " + std::strerror(errno);
    close(in);
    return false;
  }
  char buffer[65536];
  bool ok = true;
  for (;;) {
    const ssize_t n = read(in, buffer, sizeof buffer);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      ok = false;
      break;
    }
    for (ssize_t done = 0; done < n;) {
      const ssize_t w = write(out, buffer + done, static_cast<size_t>(n - done));
      if (w < 0 && errno == EINTR) continue;
      if (w <= 0) {
        ok = false;
        break;
      }
      done += w;
    }
    if (!ok) break;
  }
  if (ok && (fchmod(out, mode) != 0 || fsync(out) != 0)) ok = false;
  if (!ok) *error = target + ": " + std::strerror(errno);
  close(in);
  if (close(out) != 0 && ok) {
    *error = target + ": " + std::strerror(errno);
    ok = false;
  }
  return ok;
}

bool WriteFileDurably(const std::string& path, const std::string& content, std::string* error) {
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  bool ok = fd >= 0 && write(fd, content.data(), content.size()) == static_cast<ssize_t>(content.size()) &&
            fsync(fd) == 0;
  if (fd >= 0 && close(fd) != 0) ok = false;
  if (!ok) *error = path + ": " + std::strerror(errno);
  return ok;
}

void SyncFolder(const std::string& folder) {
  const int fd = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd >= 0) {
    fsync(fd);
    close(fd);
  }
}

// One file of the transaction: staged beside its target, then renamed over it.
struct Replacement {
  std::string name;
  std::string target, staged, backup;
  bool hadTarget = false;
  bool committed = false;
};

// Puts every committed file back the way it was and removes staged copies.
void RollBack(std::vector<Replacement>& replacements) {
  for (auto it = replacements.rbegin(); it != replacements.rend(); ++it) {
    if (it->committed) {
      if (it->hadTarget) {
        if (rename(it->backup.c_str(), it->target.c_str()) != 0)
          Trace("update: cannot restore %s: %s", it->target.c_str(), std::strerror(errno));
      } else {
        unlink(it->target.c_str());
      }
    } else if (it->hadTarget) {
      unlink(it->backup.c_str());
    }
    unlink(it->staged.c_str());
  }
}

}  // namespace

bool IsLanguageModule(const std::string& name) {
  return name == "ScrivelCh.qm" || name == "ScrivelEn.qm";
}

UpdateStepResult DownloadEntries(const std::vector<UpDataFileNameAndMD5Num>& entries,
                                 const std::string& downloadBase, const std::string& tempFolder,
                                 const UpdateProgress& progress, const FetchLimits& limits) {
  UpdateStepResult result;
  result.error = RefusedEntryNames(entries);
  if (!result.error.empty()) return result;
  mkdir(tempFolder.c_str(), 0755);
  for (size_t i = 0; i < entries.size(); ++i) {
    const auto& entry = entries[i];
    const std::string path = tempFolder + "/" + entry.strFileName;
    if (FetchFile(downloadBase + UrlPathSegment(entry.strFileName), path, limits) != 0) {
      result.error = entry.strFileName + " could not be downloaded";
      return result;
    }
    const auto digest = Md5OfFile(path);
    if (!digest || *digest != entry.strMD5Num) {
      result.error = entry.strFileName + " is damaged (its MD5 digest does not match)";
      return result;
    }
    if (progress) progress(i + 1, entries.size());
  }
  result.ok = true;
  return result;
}

UpdateStepResult InstallEntries(const std::vector<UpDataFileNameAndMD5Num>& entries,
                                const std::string& appFolder, const std::string& tempFolder,
                                const std::string& newVersion) {
  UpdateStepResult result;
  // Two members of the transaction with one target would share their staged
  // and kept copies, and a rollback could not restore the original.
  result.error = RefusedEntryNames(entries);
  if (!result.error.empty()) return result;
  std::vector<Replacement> replacements;
  for (const auto& entry : entries) {
    const std::string& name = entry.strFileName;
    const std::string target = appFolder + "/" + name;
    if (IsLanguageModule(name) && !Exists(target)) {
      result.skipped.push_back(name);
      continue;
    }
    Replacement r;
    r.name = name;
    r.target = target;
    r.staged = appFolder + "/." + name + kNewSuffix;
    r.backup = appFolder + "/." + name + kOldSuffix;
    replacements.push_back(r);
  }
  // The version file is the last member of the transaction.
  Replacement version;
  version.name = "Version.txt";
  version.target = appFolder + "/Version.txt";
  version.staged = appFolder + "/.Version.txt" + kNewSuffix;
  version.backup = appFolder + "/.Version.txt" + kOldSuffix;

  // 1. Stage every file beside its target: nothing installed changes yet.
  for (auto& r : replacements) {
    struct stat st;
    r.hadTarget = stat(r.target.c_str(), &st) == 0;
    const std::string source = tempFolder + "/" + r.name;
    const mode_t mode = r.hadTarget ? (st.st_mode & 07777) : ModeForNewFile(source);
    if (!CopyFileDurably(source, r.staged, mode, &result.error)) {
      for (auto& s : replacements) unlink(s.staged.c_str());
      return result;
    }
  }
  if (!WriteFileDurably(version.staged, newVersion, &result.error)) {
    for (auto& s : replacements) unlink(s.staged.c_str());
    unlink(version.staged.c_str());
    return result;
  }
  version.hadTarget = Exists(version.target);
  replacements.push_back(version);

  // 2. Commit: keep a link to each old file, then rename the new one over it.
  for (auto& r : replacements) {
    unlink(r.backup.c_str());
    if (r.hadTarget && link(r.target.c_str(), r.backup.c_str()) != 0) {
      result.error = "cannot keep a copy of " + r.target + ": " + std::strerror(errno);
      RollBack(replacements);
      return result;
    }
    if (rename(r.staged.c_str(), r.target.c_str()) != 0) {
      result.error = "cannot replace " + r.target + ": " + std::strerror(errno);
      RollBack(replacements);
      return result;
    }
    r.committed = true;
  }
  SyncFolder(appFolder);

  // 3. Done: drop the old copies and the downloaded files.
  for (auto& r : replacements) {
    if (r.hadTarget) unlink(r.backup.c_str());
    if (&r != &replacements.back()) {
      unlink((tempFolder + "/" + r.name).c_str());
      result.installed.push_back(r.name);
    }
  }
  result.ok = true;
  return result;
}

}  // namespace scrivel
