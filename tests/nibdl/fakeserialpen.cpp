#include "tests/nibdl/fakeserialpen.h"

#include <algorithm>

namespace nibdl::test {

void FakeSerialPen::Reply(Bytes body, uint8_t xorFix) {
  uint8_t x = 0;
  for (uint8_t b : body) x ^= b;
  Bytes reply{static_cast<uint8_t>(body.size() + 1)};
  reply.insert(reply.end(), body.begin(), body.end());
  reply.push_back(x ^ xorFix);
  Deliver(reply);
}

void FakeSerialPen::SendPacket() {
  const Bytes& note = notes[m_note];
  Bytes chunk(note.begin() + static_cast<long>(m_offset),
              note.begin() + static_cast<long>(m_offset + m_chunk));
  const bool fresh = m_packetFresh;
  m_packetFresh = false;
  const std::pair<int, int> id{static_cast<int>(m_note) + 1, m_packetIndex};
  if (fresh && dropOnce.count(id)) return;
  uint8_t x = 0;
  for (uint8_t b : chunk) x ^= b;
  Bytes packet{static_cast<uint8_t>(chunk.size() + 1)};
  packet.insert(packet.end(), chunk.begin(), chunk.end());
  packet.push_back(x);
  if ((fresh && corruptOnce.count(id)) || corruptAlways.count(id)) packet[1] ^= 0x10;
  Deliver(packet);
}

void FakeSerialPen::OnCommand(const Bytes& c) {
  const bool dead = deadAfterNotes && m_notesDone >= *deadAfterNotes;
  switch (c[0]) {
    case 0xFF:
      if (!sleeping && !dead) Deliver({0xFC});
      break;
    case 0xA0:
      if (!confirmMode) break;
      if (splitConfirm) {
        Deliver({0x03, 0xA0});
        Deliver({c[1]}, 100);
      } else {
        Deliver({0x03, 0xA0, c[1]});
      }
      break;
    case 0xB5: {
      if (silentAfterCount) break;
      const uint16_t count = countOverride.value_or(static_cast<uint16_t>(notes.size()));
      const uint8_t fix = badCountReplies > 0 ? 0x5A : 0;
      if (badCountReplies > 0) --badCountReplies;
      Reply({uint8_t(count), uint8_t(count >> 8), 0, 0, 0, 0}, fix);
      break;
    }
    case 0xB6: {
      const uint16_t n = static_cast<uint16_t>(c[1] | (c[2] << 8));
      infoRequests.push_back(n);
      if (dead) break;
      const uint32_t length = n >= 1 && n <= notes.size() ? static_cast<uint32_t>(notes[n - 1].size()) : 0;
      const uint8_t fix = badInfoReplies > 0 ? 0x33 : 0;
      if (badInfoReplies > 0) --badInfoReplies;
      Reply({uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24), 0}, fix);
      break;
    }
    case 0xB7: {
      const size_t n = c[1] | (c[2] << 8);
      if (dead || n < 1 || n > notes.size()) break;
      m_transfer = true;
      m_note = n - 1;
      m_offset = 0;
      m_chunk = std::min<size_t>(63, notes[m_note].size());
      m_packetIndex = 0;
      m_packetFresh = true;
      SendPacket();
      break;
    }
    case 0xB8:
      if (!m_transfer) break;
      if (c[1] == 0x00) {
        m_offset += m_chunk;
        if (m_offset < notes[m_note].size()) {
          m_chunk = std::min<size_t>(63, notes[m_note].size() - m_offset);
          ++m_packetIndex;
          m_packetFresh = true;
          SendPacket();
        }
      } else if (c[1] == 0x02) {
        SendPacket();
      } else if (c[1] == 0x03) {
        m_transfer = false;
        ++m_notesDone;
      }
      break;
    case 0xB0:
      if (badEraseReply) {
        Deliver({0x02, 0xB0, eraseStatus});
      } else {
        notes.clear();
        Reply({0xB0, eraseStatus});
      }
      break;
    case 0x95: {
      Bytes report{0x80, 0xA9, 0x01, 0x01, 0x1E, 0x02, 0x03, 0x04, 0x05, 0x06, 0x00, 0x00};
      Deliver(report);
      break;
    }
    default:
      break;
  }
}

}  // namespace nibdl::test
