#include "penemu/notememory.h"

#include <algorithm>
#include <cstring>

namespace scrivel::penemu {

bool NoteMemory::FromImage(std::vector<uint8_t> image, NoteMemory& out, std::string& error) {
  if (image.size() > kMaxImageBytes) {
    error = "the image holds " + std::to_string(image.size()) + " bytes, the memory at most " +
            std::to_string(kMaxImageBytes);
    return false;
  }
  out.m_image = std::move(image);
  out.walkLinks();
  return true;
}

bool NoteMemory::FromDump(std::span<const uint8_t> dump, NoteMemory& out, std::string& error) {
  if (dump.size() % kPacketSize != 0) {
    error = "a packet dump is a whole number of 64-byte records, this one has " +
            std::to_string(dump.size()) + " bytes";
    return false;
  }
  const size_t records = dump.size() / kPacketSize;
  if (records > kMaxPackets) {
    error = "the dump holds " + std::to_string(records) + " records, the memory at most " +
            std::to_string(kMaxPackets) + " packets";
    return false;
  }
  size_t highest = 0;
  for (size_t r = 0; r < records; ++r) {
    const uint8_t* rec = dump.data() + r * kPacketSize;
    const size_t p = size_t(rec[0]) << 8 | rec[1];
    if (p == 0 || p > kMaxPackets) {
      error = "record " + std::to_string(r + 1) + " has packet number " + std::to_string(p) +
              " (valid: 1.." + std::to_string(kMaxPackets) + ")";
      return false;
    }
    highest = std::max(highest, p);
  }
  std::vector<uint8_t> image(highest * kPacketPayload, 0);
  for (size_t r = 0; r < records; ++r) {
    const uint8_t* rec = dump.data() + r * kPacketSize;
    const size_t p = size_t(rec[0]) << 8 | rec[1];
    std::memcpy(image.data() + (p - 1) * kPacketPayload, rec + 2, kPacketPayload);
  }
  return FromImage(std::move(image), out, error);
}

size_t NoteMemory::roomForSamples() const {
  const size_t end = m_image.size() + kHeaderSize;
  if (end >= kLinkLimit) return 0;
  return (kLinkLimit - 1 - end) / 4;
}

bool NoteMemory::addNote(uint8_t flags, uint32_t timeStamp, std::span<const Sample> samples) {
  if (samples.size() > roomForSamples() || (samples.empty() && m_image.size() + kHeaderSize >= kLinkLimit))
    return false;
  const size_t begin = m_image.size();
  const size_t next = begin + kHeaderSize + samples.size() * 4;
  m_image.resize(next, 0);
  uint8_t* h = m_image.data() + begin;
  h[0] = uint8_t(next);
  h[1] = uint8_t(next >> 8);
  h[2] = uint8_t(next >> 16);
  h[3] = flags;
  for (int i = 0; i < 4; ++i) h[6 + i] = uint8_t(timeStamp >> (8 * i));
  uint8_t* s = h + kHeaderSize;
  for (const Sample& sample : samples) {
    const auto x = uint16_t(sample.x), y = uint16_t(sample.y);
    *s++ = uint8_t(x);
    *s++ = uint8_t(x >> 8);
    *s++ = uint8_t(y);
    *s++ = uint8_t(y >> 8);
  }
  m_notes.push_back({begin, next});
  return true;
}

void NoteMemory::erase() {
  m_image.clear();
  m_notes.clear();
}

void NoteMemory::writePacket(size_t p, uint8_t* out64) const {
  out64[0] = uint8_t(p >> 8);
  out64[1] = uint8_t(p);
  const size_t begin = (p - 1) * kPacketPayload;
  const size_t have = begin < m_image.size() ? std::min(kPacketPayload, m_image.size() - begin) : 0;
  if (have > 0) std::memcpy(out64 + 2, m_image.data() + begin, have);
  std::memset(out64 + 2 + have, 0, kPacketPayload - have);
}

std::span<const uint8_t> NoteMemory::note(size_t index) const {
  const Extent& e = m_notes.at(index);
  return {m_image.data() + e.begin, e.end - e.begin};
}

void NoteMemory::walkLinks() {
  m_notes.clear();
  size_t p = 0;
  while (p + 3 <= m_image.size()) {
    const uint8_t* h = m_image.data() + p;
    const size_t next = size_t(h[0]) | size_t(h[1]) << 8 | size_t(h[2]) << 16;
    if (next <= p || next >= kLinkLimit || next > m_image.size()) break;
    m_notes.push_back({p, next});
    p = next;
  }
}

}  // namespace scrivel::penemu
