#pragma once
// Fills the pen's note memory from the MEMORY options: handwritten text,
// generated notes, a memory image or a packet dump.

#include <cstdint>
#include <string>

#include "penemu/notememory.h"
#include "penemu/penoptions.h"

namespace scrivel::penemu {

class MemoryBuilder {
 public:
  MemoryBuilder(const MemoryOptions& options, uint64_t seed);

  // False with `error` set when a file cannot be used. Notes that do not fit
  // the memory are left out with a notice on stderr.
  bool build(NoteMemory& memory, std::string& error);

  // Minutes from 2008-01-01 00:00 local time to now.
  static uint32_t MinutesNow();

 private:
  bool readFile(std::string& content, std::string& error) const;
  void addText(NoteMemory& memory);
  void addGenerated(NoteMemory& memory);

  const MemoryOptions& m_options;
  uint64_t m_seed;
  uint8_t m_flags;
  uint32_t m_timeStamp;
};

}  // namespace scrivel::penemu
