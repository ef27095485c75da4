#include "nibdl/notedecoder.h"

#include <cstdlib>
#include <new>

#include "common/trace.h"

namespace nibdl {

namespace {

int16_t ReadInt16(const uint8_t* p) {
  return static_cast<int16_t>(static_cast<uint16_t>(p[0] | (p[1] << 8)));
}

uint32_t ReadUint32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

constexpr uint8_t kFlagFlipped = 0x08;
constexpr uint8_t kFlagNotUploaded = 0x02;

}  // namespace

void ParsePoints(const uint8_t* samples, size_t n, const PointTransform& transform,
                 DUVOPAGE* records, int* count) {
  const bool trace = scrivel::TraceEnabled();
  bool penDown = false;
  int used = 0;
  for (size_t offset = 0; offset + kSampleSize <= n; offset += kSampleSize) {
    const int16_t x = ReadInt16(samples + offset);
    const int16_t y = ReadInt16(samples + offset + 2);
    DUVOPAGE& record = records[used++];
    if (y < 0) {
      record = DUVOPAGE{DUVO_EVT_PENUP, 0, 0};
      penDown = false;
      if (trace) scrivel::Trace(" DUVO_EVT_PENUP %d", used);
    } else {
      record.wEvent = penDown ? DUVO_EVT_PENMOV : DUVO_EVT_PENDOWN;
      penDown = true;
      transform.Apply(x, y, &record.x, &record.y);
      if (trace) scrivel::Trace("DUVO_EVT_PENMOV %d", used);
    }
  }
  *count = used;
}

NoteResult DecodeNote(const uint8_t* begin, const uint8_t* end, const PointTransform& transform,
                      PageList& pages) {
  if (end < begin || static_cast<size_t>(end - begin) < kNoteHeaderSize) return NoteResult::Malformed;
  const uint8_t flags = begin[3];
  const uint8_t* samples = begin + kNoteHeaderSize;
  const size_t n = static_cast<size_t>(end - samples);
  const size_t capacity = n / kSampleSize;
  if (capacity < static_cast<size_t>(kMinPagePoints)) return NoteResult::Short;

  DecodedPage page;
  page.timeStamp = ReadUint32(begin + 6);
  page.flipped = (flags & kFlagFlipped) != 0 ? 1 : 0;
  page.uploaded = (flags & kFlagNotUploaded) != 0 ? 0 : 1;
  page.points.reset(static_cast<DUVOPAGE*>(std::malloc(capacity * sizeof(DUVOPAGE))));
  if (!page.points) throw std::bad_alloc();
  ParsePoints(samples, n, transform, page.points.get(), &page.count);
  if (page.count < kMinPagePoints) return NoteResult::Short;
  pages.push_back(std::move(page));
  return NoteResult::Kept;
}

LinkResult NextNote(const uint8_t* base, const uint8_t* p, const uint8_t* end,
                    const uint8_t** next) {
  const size_t at = static_cast<size_t>(p - base);
  const size_t size = static_cast<size_t>(end - base);
  uint32_t link = 0;
  for (size_t i = 0; i < 3; ++i)
    if (at + i < size) link |= static_cast<uint32_t>(p[i]) << (8 * i);
  if (link == 0 || link == kErasedLink) return LinkResult::End;
  if (link >= kMaxLink || link > size || link <= at) return LinkResult::Broken;
  *next = base + link;
  return LinkResult::Next;
}

bool DecodeImage(const uint8_t* image, size_t size, const PointTransform& transform,
                 PageList& pages) {
  const uint8_t* end = image + size;
  const uint8_t* p = image;
  bool clean = true;
  while (pages.size() < static_cast<size_t>(kMaxPages)) {
    const uint8_t* next = nullptr;
    const LinkResult link = NextNote(image, p, end, &next);
    if (link == LinkResult::End) break;
    if (link == LinkResult::Broken) {
      scrivel::Trace("NibDL.dll: broken note link at offset %zu", static_cast<size_t>(p - image));
      return false;
    }
    if (DecodeNote(p, next, transform, pages) == NoteResult::Malformed) clean = false;
    p = next;
  }
  return clean;
}

}  // namespace nibdl
