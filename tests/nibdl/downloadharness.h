#pragma once
// A Download wired to a page table, a progress word and a callback recorder.

#include <atomic>
#include <utility>
#include <vector>

#include "nibdl/download.h"
#include "nibdl/pagetable.h"

namespace nibdl::test {

struct DownloadHarness {
  explicit DownloadHarness(PortLink& link, int position = 0)
      : download{link, pages, progress, {}, 0, {}, {}} {
    download.notify = [this](int kind, int percent) { calls.emplace_back(kind, percent); };
    download.readPosition = [position] { return position; };
  }

  PageTable pages;
  std::atomic<uint32_t> progress{0};
  std::vector<std::pair<int, int>> calls;  // (kind, percent)
  Download download;
};

}  // namespace nibdl::test
