#pragma once
// An in-process pen that answers the serial dialect, with switches for the
// faults the tests need.

#include <cstdint>
#include <optional>
#include <set>
#include <utility>
#include <vector>

#include "tests/nibdl/fakelink.h"

namespace nibdl::test {

class FakeSerialPen : public FakeLink {
 public:
  std::vector<Bytes> notes;
  bool sleeping = false;            // never answers FF
  bool splitConfirm = false;        // 03 A0 m arrives in two reads
  bool confirmMode = true;          // answers A0 m at all
  int badCountReplies = 0;          // B5 replies with a wrong XOR byte
  std::optional<uint16_t> countOverride;
  int badInfoReplies = 0;           // B6 replies with a wrong XOR byte
  bool silentAfterCount = false;    // wakes up, but answers nothing after B5
  // Packets named by (note number, packet index within the note):
  std::set<std::pair<int, int>> corruptOnce;    // the first copy is damaged
  std::set<std::pair<int, int>> corruptAlways;  // every copy is damaged
  std::set<std::pair<int, int>> dropOnce;       // the first copy never comes
  uint8_t eraseStatus = 0;
  bool badEraseReply = false;
  std::optional<size_t> deadAfterNotes;  // stops answering after this many notes

  std::vector<uint16_t> infoRequests;  // note numbers asked for with B6

 protected:
  void OnCommand(const Bytes& command) override;

 private:
  void Reply(Bytes body, uint8_t xorFix = 0);
  void SendPacket();

  bool m_transfer = false;
  size_t m_note = 0, m_offset = 0, m_chunk = 0;
  int m_packetIndex = 0;  // within the note
  bool m_packetFresh = true;
  size_t m_notesDone = 0;
};

}  // namespace nibdl::test
