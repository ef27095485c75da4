#include "penemu/memorybuilder.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

#include "penemu/handwriting.h"
#include "penemu/hersheyfont.h"
#include "penemu/notegenerator.h"

namespace scrivel::penemu {

MemoryBuilder::MemoryBuilder(const MemoryOptions& options, uint64_t seed)
    : m_options(options),
      m_seed(seed),
      m_flags(options.flags.value_or(0)),
      m_timeStamp(options.timeStamp ? *options.timeStamp : MinutesNow()) {}

uint32_t MemoryBuilder::MinutesNow() {
  std::tm epoch = {};
  epoch.tm_year = 2008 - 1900;
  epoch.tm_mon = 0;
  epoch.tm_mday = 1;
  epoch.tm_isdst = -1;
  const std::time_t start = std::mktime(&epoch);
  const std::time_t now = std::time(nullptr);
  return now > start ? uint32_t((now - start) / 60) : 0;
}

bool MemoryBuilder::readFile(std::string& content, std::string& error) const {
  std::ifstream in(m_options.file, std::ios::binary);
  if (!in) {
    error = "cannot read " + m_options.file + ": " + std::strerror(errno);
    return false;
  }
  std::ostringstream data;
  data << in.rdbuf();
  content = std::move(data).str();
  return true;
}

bool MemoryBuilder::build(NoteMemory& memory, std::string& error) {
  memory = NoteMemory{};
  using Source = MemoryOptions::Source;
  switch (m_options.source) {
    case Source::Empty:
      return true;
    case Source::Text:
      addText(memory);
      return true;
    case Source::Notes:
      addGenerated(memory);
      return true;
    case Source::Image:
    case Source::Dump: {
      std::string content;
      if (!readFile(content, error)) return false;
      const bool ok =
          m_options.source == Source::Image
              ? NoteMemory::FromImage(std::vector<uint8_t>(content.begin(), content.end()), memory, error)
              : NoteMemory::FromDump({reinterpret_cast<const uint8_t*>(content.data()), content.size()},
                                     memory, error);
      if (!ok) error = m_options.file + ": " + error;
      return ok;
    }
  }
  return true;
}

void MemoryBuilder::addText(NoteMemory& memory) {
  Handwriting pen(HersheyFont::Roman());
  const auto pages = pen.write(m_options.text);
  for (size_t i = 0; i < pages.size(); ++i) {
    if (!memory.addNote(m_flags, m_timeStamp, pages[i])) {
      std::fprintf(stderr, "penemu: the memory is full: kept %zu of %zu notes\n", i, pages.size());
      return;
    }
  }
}

void MemoryBuilder::addGenerated(NoteMemory& memory) {
  NoteGenerator generator(m_seed);
  for (uint64_t i = 0; i < m_options.notes; ++i) {
    std::vector<Sample> samples = generator.next();
    if (memory.addNote(m_flags, m_timeStamp, samples)) continue;
    // A full memory: the last note takes what room is left, as a pen that
    // runs out of memory mid-page keeps what it recorded.
    const size_t room = memory.roomForSamples();
    bool cut = false;
    if (room >= NoteMemory::kMinRecords * 4) {
      samples.resize(room);
      samples.back() = kPenUp;
      cut = memory.addNote(m_flags, m_timeStamp, samples);
    }
    std::fprintf(stderr, "penemu: the memory is full: kept %zu of %llu notes%s\n", memory.noteCount(),
                 static_cast<unsigned long long>(m_options.notes), cut ? " (the last one cut short)" : "");
    return;
  }
}

}  // namespace scrivel::penemu
