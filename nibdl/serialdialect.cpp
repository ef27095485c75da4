#include "nibdl/serialdialect.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "common/trace.h"
#include "nibdl/nibdl.h"
#include "nibdl/notedecoder.h"
#include "nibdl/pointtransform.h"
#include "nibdl/transport.h"

namespace nibdl {

namespace {

constexpr uint8_t kWakeUp = 0xFF;
constexpr uint8_t kAwake = 0xFC;
constexpr uint8_t kCommandMode = 0xA0;
constexpr uint8_t kNoteCount = 0xB5;
constexpr uint8_t kNoteInfo = 0xB6;
constexpr uint8_t kNoteData = 0xB7;
constexpr uint8_t kPacketAnswer = 0xB8;
constexpr uint8_t kPacketAccepted = 0x00;
constexpr uint8_t kPacketRefused = 0x02;
constexpr uint8_t kNoteEnd = 0x03;
constexpr uint8_t kErase = 0xB0;

constexpr uint32_t kCommandMs = 50;
constexpr uint32_t kWakePollMs = 2;
constexpr int kWakePolls = 101;
constexpr int kModePolls = 200;
constexpr uint32_t kModePollMs = 70;
constexpr uint32_t kModePauseMs = 4;
constexpr size_t kModeCollection = 256;
constexpr uint32_t kNotePauseMs = 500;
constexpr size_t kReplySize = 120;
// The note-count and note-information exchanges give up after this many rounds.
constexpr int kMaxRounds = 10;
constexpr uint32_t kNoteBufferLimit = 321899;
constexpr int kMaxTries = 50;

bool HasAwake(const uint8_t* bytes, uint32_t n) {
  return std::find(bytes, bytes + n, kAwake) != bytes + n;
}

uint32_t ReadUint32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// B5: the number of notes. DUVO_OK with *count set, or a failure.
uint32_t ReadNoteCount(PortLink& link, uint32_t* count) {
  int bad = 0, good = 0;
  *count = 0;
  for (int round = 0;; ++round) {
    if (round == kMaxRounds) return DUVO_E_TIMEOUT;
    const bool awake = SendWakeUp(link);
    scrivel::Trace("NibDL.dll: SendWakeUp !\n");
    if (awake) {
      link.Send({kNoteCount});
      link.Sleep(kCommandMs);
      uint8_t reply[kReplySize] = {};
      const uint32_t n = ReadReply(link, 8, reply, sizeof reply);
      if (n < 8 || reply[0] != 0x07) return DUVO_E_PROTOCOL;
      const int passed = CheckSum(reply + 1, static_cast<int>(n) - 1);
      scrivel::Trace("NibDL.dll: CheckSum !\n");
      if (!passed) {
        ++bad;
      } else {
        bad = 0;
        ++good;
        scrivel::Trace("NibDL.dll: CheckSum - GOOD !\n");
      }
      *count = reply[1] + 256u * reply[2];
    }
    if (*count != 0 || bad == 3 || good == 3) return DUVO_OK;
  }
}

// B6 n: the length of note n. DUVO_OK with *length set (0 when three replies
// failed the check), or DUVO_E_TIMEOUT when no usable reply came.
uint32_t ReadNoteLength(PortLink& link, uint32_t n, uint32_t* length) {
  int bad = 0;
  *length = 0;
  for (int round = 0;; ++round) {
    if (round == kMaxRounds || link.Disconnected()) return DUVO_E_TIMEOUT;
    SendWakeUp(link);
    scrivel::Trace("NibDL.dll: SendWakeUp-second !\n");
    link.Send({kNoteInfo, static_cast<uint8_t>(n & 0xFF), static_cast<uint8_t>(n >> 8)});
    link.Sleep(kCommandMs);
    uint8_t reply[kReplySize] = {};
    const uint32_t got = ReadReply(link, 7, reply, sizeof reply);
    if (got >= 7 && reply[0] == 0x06) {
      const int passed = CheckSum(reply + 1, static_cast<int>(got) - 1);
      scrivel::Trace("NibDL.dll: CheckSum second !\n");
      if (!passed) {
        ++bad;
      } else {
        bad = 0;
        *length = ReadUint32(reply + 1);
        scrivel::Trace("NibDL.dll: CheckSum second GOOD!\n");
      }
    }
    if (*length != 0 || bad == 3) return DUVO_OK;
  }
}

// NoteBuffer: the receive state of the serial download, kept for the process
// like the rest of the library's state (one download at a time). Only the
// bytes a note wrote need clearing before the next.
struct NoteBuffer {
  std::vector<uint8_t> bytes = std::vector<uint8_t>(kNoteBufferSize);
  uint32_t used = 0;

  uint8_t* Clear() {
    std::fill(bytes.begin(), bytes.begin() + used, 0);
    used = 0;
    return bytes.data();
  }
};

// Fetches and decodes every note into `pages`.
uint32_t FetchNotes(Download& d, uint32_t count, PageList& pages) {
  static NoteBuffer& noteBuffer = *new NoteBuffer;  // never freed: outlives any download
  PortLink& link = d.link;
  PointTransform transform;
  transform.SetMode(0, d.deviceType);
  for (uint32_t i = 0; i < count && pages.size() < static_cast<size_t>(kMaxPages); ++i) {
    const uint32_t n = i + 1;
    uint8_t* const note = noteBuffer.Clear();
    link.Sleep(kNotePauseMs);
    uint32_t length = 0;
    if (const uint32_t result = ReadNoteLength(link, n, &length); result != DUVO_OK) return result;

    SendWakeUp(link);
    link.Send({kNoteData, static_cast<uint8_t>(n & 0xFF), static_cast<uint8_t>(n >> 8)});
    link.Sleep(kCommandMs);
    const uint32_t received = GetNote(link, length, note);
    noteBuffer.used = received;
    scrivel::Trace("NibDL.dll: GetNote !\n");
    link.Send({kPacketAnswer, kNoteEnd});

    const uint32_t percent = n * 100 / count;
    d.progress.store(percent);
    d.Notify(DUVO_PROGRESS_TRANSFER, static_cast<int>(percent));
    DecodeNote(note, note + received, transform, pages);
  }
  return DUVO_OK;
}

}  // namespace

bool SendWakeUp(PortLink& link) {
  std::vector<uint8_t> buffer(kExchangeBufferSize);
  link.Retrieve(buffer.data(), kExchangeBufferSize);  // stale bytes
  link.Send({kWakeUp});
  link.Sleep(kCommandMs);
  for (int poll = 0; poll < kWakePolls; ++poll) {
    const uint32_t n = link.Retrieve(buffer.data(), kExchangeBufferSize);
    if (HasAwake(buffer.data(), n)) return true;
    link.Sleep(kWakePollMs);
  }
  link.Send({kWakeUp});
  link.Sleep(kCommandMs);
  const uint32_t n = link.Retrieve(buffer.data(), kExchangeBufferSize);
  if (HasAwake(buffer.data(), n)) return true;
  link.Sleep(kWakePollMs);
  return false;
}

int SetCommandMode(PortLink& link, int mode) {
  scrivel::Trace("NibDL.dll: SetCommandMode  SendWakeUp before!\n");
  const bool awake = SendWakeUp(link);
  scrivel::Trace("NibDL.dll: SetCommandMode  SendWakeUp after!\n");
  if (!awake) {
    scrivel::Trace("NibDL.dll: SetCommandMode  bRes = SendWakeUp return 2!\n");
    return 2;
  }
  const auto m = static_cast<uint8_t>(mode);
  link.Send({kCommandMode, m});
  std::vector<uint8_t> buffer(kExchangeBufferSize);
  uint8_t collected[kModeCollection];
  size_t used = 0;
  size_t searched = 0;  // start positions already searched
  const uint8_t confirm[3] = {0x03, kCommandMode, m};
  for (int poll = 0; poll < kModePolls; ++poll) {
    scrivel::Trace("NibDL.dll: SetCommandMode  bRes = SendWakeUp GOOD!\n");
    link.Sleep(kModePollMs);
    const uint32_t n = link.Retrieve(buffer.data(), kExchangeBufferSize);
    const size_t take = std::min<size_t>(n, kModeCollection - used);
    std::memcpy(collected + used, buffer.data(), take);
    used += take;
    // The confirmation may arrive in pieces: search every position that the
    // new bytes complete.
    for (; searched + sizeof confirm <= used; ++searched) {
      scrivel::Trace("NibDL.dll: SetCommandMode  bRes = SendWakeUp GOOD Ptr>3!\n");
      if (std::memcmp(collected + searched, confirm, sizeof confirm) == 0) return 0;
    }
    link.Sleep(kModePauseMs);
  }
  return 1000 + static_cast<int>(used);
}

uint32_t GetNote(PortLink& link, uint32_t wanted, uint8_t* dest) {
  uint32_t total = 0;
  int tries = 0, empty = 0, bad = 0;
  uint8_t packet[kPacketDestSize];
  for (;;) {
    uint32_t length = ReadPacket(link, packet);
    if (length == 0) {
      link.Send({kPacketAnswer, kPacketRefused});
      ++empty;
    } else if (CheckSum(packet, static_cast<int>(length))) {
      bad = 0;
      link.Send({kPacketAnswer, kPacketAccepted});
      length -= 1;  // the XOR byte is not note data
      tries = 0;
      empty = 0;
    } else {
      link.Send({kPacketAnswer, kPacketRefused});
      length = 0;
      ++bad;
    }
    if (total > kNoteBufferLimit) break;
    length = std::min(length, kNoteBufferSize - total);
    std::memcpy(dest + total, packet, length);
    total += length;
    if (total >= wanted) break;
    if (tries >= kMaxTries) break;
    ++tries;
    if (empty > 2 || bad > 2) break;
  }
  return total;
}

uint32_t DownloadSerial(Download& d) {
  PortLink& link = d.link;
  scrivel::Trace("NibDL.dll: SetCommandMode !\n");
  const int mode = SetCommandMode(link, 1);
  scrivel::Trace("NibDL.dll: SetCommandMode after!\n");
  if (mode != 0) return DUVO_E_PROTOCOL;

  uint32_t count = 0;
  if (const uint32_t result = ReadNoteCount(link, &count); result != DUVO_OK) return result;

  PageList pages;
  const uint32_t result = FetchNotes(d, count, pages);
  d.pages.Replace(std::move(pages));
  return result;
}

uint32_t EraseSerial(PortLink& link) {
  const int mode = SetCommandMode(link, 1);
  link.Sleep(kCommandMs);
  if (mode != 0) return DUVO_E_PROTOCOL;

  uint32_t result = DUVO_E_NOTINIT;
  if (SendWakeUp(link)) {
    link.Send({kErase});
    link.Sleep(kCommandMs);
    uint8_t reply[kReplyBufferSize + 7] = {};
    const uint32_t n = ReadReply(link, 7, reply, sizeof reply);
    if (n == reply[0] + 1u && reply[0] == 0x03 && reply[1] == kErase)
      result = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int8_t>(reply[2])));
    else
      result = DUVO_E_PROTOCOL;
  }
  link.Sleep(kCommandMs);
  SetCommandMode(link, 0);
  return result;
}

}  // namespace nibdl
