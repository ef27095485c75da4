#pragma once
// What a download works with: the link to the pen, the page table it fills,
// the progress word it writes, and the progress callback.

#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

#include "nibdl/pagetable.h"
#include "nibdl/portlink.h"

namespace nibdl {

struct Download {
  PortLink& link;
  PageTable& pages;
  // Percent done, read by the caller waiting in DUVORequestData.
  std::atomic<uint32_t>& progress;
  // The progress callback with kind DUVO_PROGRESS_TRANSFER or _LOST; may be empty.
  std::function<void(int kind, int percent)> notify;
  // dwDeviceType of the open port.
  uint32_t deviceType = 0;
  // The transform mode of USB pages (the route library's position setting).
  std::function<int()> readPosition;
  // Where the dump mode writes the packet image.
  std::string dumpFolder;

  void Notify(int kind, int percent) const {
    if (notify) notify(kind, percent);
  }
};

}  // namespace nibdl
