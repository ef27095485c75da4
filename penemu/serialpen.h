#pragma once
// The pen's serial dialect on a new pty whose slave is linked at the given
// path. Replies start with the number of bytes that follow; where a reply
// carries an XOR byte it is the XOR of the bytes between the length and
// itself.
//   FF          -> FC (any state)
//   A0 m        -> 03 A0 m; m = 1 enters command mode, m = 0 leaves it (any state)
//   95 95       -> the version report, 80 A9 b0..b7 and two padding bytes (any state)
//   B5          -> 07, note count (u16 LE), 00 00 00 00, XOR
//   B6 lo hi    -> 06, length of note n (u32 LE, header included, 0 when unknown), 00, XOR
//   B7 lo hi    -> note n as packets: L, up to 63 bytes of the note, their XOR;
//                  B8 00 asks for the next, B8 02 for the same again, B8 03 ends
//   B0          -> 03 B0 00 XOR, the memory is erased
// The commands from B5 on are answered in command mode only and ignored
// outside it. A packet goes only after the host has answered the previous one.

#include <cstdint>
#include <string>
#include <vector>

#include "penemu/faults.h"
#include "penemu/notememory.h"
#include "penemu/pacer.h"

namespace scrivel::penemu {

class SerialPen {
 public:
  SerialPen(NoteMemory& memory, Faults& faults, double bytesPerSecond);
  ~SerialPen();
  SerialPen(const SerialPen&) = delete;
  SerialPen& operator=(const SerialPen&) = delete;

  // Opens the pty, sets it raw and links its slave at `link` (replacing a
  // stale symbolic link).
  bool open(const std::string& link, std::string& error);
  const std::string& slaveName() const { return m_slaveName; }
  // Serves until SIGTERM/SIGINT or a disconnect fault; returns the exit code.
  int run();

 private:
  void handleInput();
  bool handleCommand(const uint8_t* command, size_t available, size_t& used);
  void sendRaw(std::initializer_list<uint8_t> bytes);
  void sendRaw(const uint8_t* bytes, size_t n);
  void reply(const std::vector<uint8_t>& body);
  void startTransfer(size_t note);
  void sendPacket(bool firstTime);
  void endTransfer();
  void writeOut();

  NoteMemory& m_memory;
  Faults& m_faults;
  Pacer m_pacer;
  int m_master = -1;
  int m_slave = -1;  // held open so a host closing its side does not hang us up
  std::string m_slaveName, m_link;

  std::vector<uint8_t> m_in, m_out;
  size_t m_outWritten = 0;
  bool m_commandMode = false;
  bool m_disconnect = false;

  bool m_transfer = false;
  size_t m_note = 0;
  size_t m_chunkBegin = 0, m_chunkSize = 0;
};

}  // namespace scrivel::penemu
