#pragma once
// Note decoding: the pen's notes (a 14-byte header, then 4-byte samples) into
// pages of DUVOPAGE records.
//
// Header: u24 LE link to the next note (offset from the image start, USB only),
// flags (0x08 flipped, 0x02 not uploaded), 2 bytes, u32 LE time stamp in
// minutes, 4 bytes. Sample: x, y as int16 LE; a negative y ends a stroke.

#include <cstddef>
#include <cstdint>

#include "nibdl/nibdl.h"
#include "nibdl/pagetable.h"
#include "nibdl/pointtransform.h"

namespace nibdl {

constexpr size_t kNoteHeaderSize = 14;
constexpr size_t kSampleSize = 4;
constexpr int kMinPagePoints = 20;
// Links at or beyond this offset are broken.
constexpr uint32_t kMaxLink = 0x1FFFFF;
// The link of erased flash: the memory holds no further note.
constexpr uint32_t kErasedLink = 0xFFFFFF;

// Turns `n` sample bytes into records (pen down, moves, pen up; pen-up
// records carry x = y = 0). Trailing bytes that do not fill a sample are
// ignored. `records` holds n / 4 entries; *count receives their number.
void ParsePoints(const uint8_t* samples, size_t n, const PointTransform& transform,
                 DUVOPAGE* records, int* count);

enum class NoteResult {
  Kept,       // a page was appended
  Short,      // fewer than 20 records: dropped
  Malformed,  // shorter than its header: dropped unread
};

// Decodes the note [begin, end) and appends it to `pages` when it has at
// least 20 records.
NoteResult DecodeNote(const uint8_t* begin, const uint8_t* end, const PointTransform& transform,
                      PageList& pages);

enum class LinkResult {
  Next,    // *next is the following note
  End,     // a zero link or erased flash (FF FF FF): no more notes
  Broken,  // points backwards, past 0x1FFFFE, or past the image end
};

// Follows the link of the note at `p` inside the image [base, end). Link
// bytes beyond `end` read as zero.
LinkResult NextNote(const uint8_t* base, const uint8_t* p, const uint8_t* end,
                    const uint8_t** next);

// Decodes the notes of a USB memory image [image, image + size) into `pages`
// (at most 200). Returns true when the image decoded cleanly: the links ran
// to a zero link and no note was malformed. A broken link ends the decoding.
bool DecodeImage(const uint8_t* image, size_t size, const PointTransform& transform,
                 PageList& pages);

}  // namespace nibdl
