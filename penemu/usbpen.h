#pragma once
// The pen's USB dialect on a Unix stream socket. The host's command bytes come
// in; only 64-byte reports go out (replies padded with zeros):
//   B5          -> AA AA AA AA AA, packet count (big-endian)
//   B6 (idle)   -> the stream: packets 1..count, each a big-endian number and
//                  62 bytes of memory; it stays open for recovery requests
//   B6 (stream) -> closes the stream
//   B7 hi lo    -> packet p again, while the stream is open
//   B0 (idle)   -> erase, no reply
//   95 95       -> the version report
// One host at a time; after a hang-up the next one is accepted, the memory
// (and an erase) persisting.

#include <array>
#include <cstdint>
#include <deque>
#include <string>
#include <sys/types.h>
#include <vector>

#include "penemu/faults.h"
#include "penemu/notememory.h"
#include "penemu/pacer.h"
#include "penemu/unixlistener.h"

namespace scrivel::penemu {

class UsbPen {
 public:
  using Report = std::array<uint8_t, NoteMemory::kPacketSize>;

  UsbPen(NoteMemory& memory, Faults& faults, double packetsPerSecond);
  ~UsbPen();
  UsbPen(const UsbPen&) = delete;
  UsbPen& operator=(const UsbPen&) = delete;

  // Creates the socket at `path` (replacing a stale socket) and listens.
  bool listen(const std::string& path, std::string& error);
  // Serves hosts until SIGTERM/SIGINT; returns the exit code.
  int run();

 private:
  enum class Kind : uint8_t { Reply, Data };
  enum class End { HangUp, Stop };

  End serve(int fd);
  void resetConnection();
  void handleInput();
  void stopStream();
  void queueReply(const Report& report);
  bool dataWanted() const;
  bool refillPending();
  void fillBatch(Pacer::Clock::time_point now);
  Report packet(size_t p) const;

  NoteMemory& m_memory;
  Faults& m_faults;
  Pacer m_pacer;
  UnixListener m_listener;

  // Per connection.
  std::vector<uint8_t> m_in;
  std::deque<Report> m_replies;
  std::deque<size_t> m_resends;
  std::deque<Report> m_pending;  // data packets prepared for sending, in order
  bool m_streaming = false;
  size_t m_nextPacket = 1;
  bool m_closeLink = false;
  // The batch being written: whole reports, each tagged with its kind.
  std::vector<uint8_t> m_batch;
  std::vector<Kind> m_batchKinds;
  size_t m_written = 0;
};

}  // namespace scrivel::penemu
