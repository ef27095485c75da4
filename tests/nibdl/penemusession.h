#pragma once
// End-to-end helpers: a pen emulator on a private socket or pty, the pen
// configuration that points the library at it, and a download through the
// library's exports with the pages copied out.

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "nibdl/nibdl.h"
#include "tests/nibdl/notebuilder.h"
#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace nibdl::test {

// True when penemu and both port modules are in the application folder.
bool EmulatorBuilt();

class PenemuSession {
 public:
  // Starts "penemu <mode> --socket|--link <path> <args...>" ("usb" or
  // "serial") and writes the configuration that names it.
  PenemuSession(const std::string& mode, const std::vector<std::string>& args);
  ~PenemuSession();

  bool ready() const { return m_ready; }
  const std::string& path() const { return m_path; }
  scrivel::test::TempDir& dir() { return m_dir; }
  // What the emulator printed on stdout (its ready line).
  std::string output() const;

 private:
  scrivel::test::TempDir m_dir;
  std::string m_path;
  std::unique_ptr<scrivel::test::ChildProcess> m_pen;
  bool m_ready = false;
};

struct Page {
  std::vector<DUVOPAGE> points;
  int minutes = 0;
  std::string stamp;
  uint32_t flipped = 0, uploaded = 0;
};

struct DownloadResult {
  uint32_t code = 0;
  std::vector<Page> pages;
  std::vector<std::pair<int, int>> calls;  // (kind, percent) as the callback saw them
};

// DUVORequestData, then every page through the exports (each array given back).
DownloadResult DownloadPages();

// The records a note's samples become with transform mode 0.
std::vector<DUVOPAGE> ExpectedRecords(const std::vector<Sample>& samples);

// The packets (64-byte records, numbered from 1) a memory image is sent as.
Bytes PacketsOf(const Bytes& image);

bool SameRecords(const std::vector<DUVOPAGE>& a, const std::vector<DUVOPAGE>& b);

}  // namespace nibdl::test
