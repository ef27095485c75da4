#pragma once
// The pen's note memory: notes one after another, each a 14-byte header (u24
// link to the next note's header, flags, time stamp) followed by 4-byte
// samples. The image ends right after the last note.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace scrivel::penemu {

// One pen sample; a negative y marks a pen-up and carries no position.
struct Sample {
  int16_t x = 0;
  int16_t y = 0;
};

inline constexpr Sample kPenUp{0, -1};

class NoteMemory {
 public:
  static constexpr size_t kHeaderSize = 14;
  static constexpr size_t kPacketPayload = 62;
  static constexpr size_t kPacketSize = 64;
  // The most packets the pen's USB memory holds.
  static constexpr size_t kMaxPackets = 33826;
  static constexpr size_t kMaxImageBytes = kMaxPackets * kPacketPayload;
  // Links at or beyond this offset end the host's decoding, so notes that the
  // pen writes must end below it.
  static constexpr size_t kLinkLimit = 0x1FFFFF;
  // Fewer records than this and the host drops the note.
  static constexpr size_t kMinRecords = 20;

  NoteMemory() = default;

  // A raw memory image; fails (with `error` set) when it is larger than the memory.
  static bool FromImage(std::vector<uint8_t> image, NoteMemory& out, std::string& error);
  // A packet dump: 64-byte records, each a big-endian packet number from 1 and
  // 62 bytes of memory.
  static bool FromDump(std::span<const uint8_t> dump, NoteMemory& out, std::string& error);

  // Appends a note; false (memory unchanged) when it would end at or beyond the
  // link limit.
  bool addNote(uint8_t flags, uint32_t timeStamp, std::span<const Sample> samples);
  // How many samples a further note may still hold (0 when not even a header fits).
  size_t roomForSamples() const;

  void erase();

  const std::vector<uint8_t>& image() const { return m_image; }
  size_t packetCount() const { return (m_image.size() + kPacketPayload - 1) / kPacketPayload; }
  // Packet p (from 1): its big-endian number and 62 bytes of memory, zero-padded
  // after the image end. p must lie in 1..packetCount().
  void writePacket(size_t p, uint8_t* out64) const;

  // The notes found by walking the links from the start of the image, as the
  // host does: a link that is 0, points backwards, beyond the image or at the
  // link limit ends the walk.
  size_t noteCount() const { return m_notes.size(); }
  std::span<const uint8_t> note(size_t index) const;

 private:
  struct Extent {
    size_t begin, end;
  };
  void walkLinks();

  std::vector<uint8_t> m_image;
  std::vector<Extent> m_notes;
};

}  // namespace scrivel::penemu
