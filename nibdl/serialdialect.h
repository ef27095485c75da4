#pragma once
// The serial dialect: every exchange starts with a wake-up, the pen is put in
// command mode, the host asks for the note count and fetches note after note
// as XOR-protected packets, acknowledging each.

#include <cstdint>

#include "nibdl/download.h"
#include "nibdl/portlink.h"

namespace nibdl {

// NoteBuffer: room for one note.
constexpr uint32_t kNoteBufferSize = 321980;

// Sends FF until the pen answers FC; false when it never does.
bool SendWakeUp(PortLink& link);

// Enters (mode 1) or leaves (mode 0) command mode: 0 when the pen confirmed
// with 03 A0 mode, 2 when it did not wake, 1000 + bytes received otherwise.
int SetCommandMode(PortLink& link, int mode);

// Fetches note n's packets into dest (kNoteBufferSize bytes) until `wanted`
// bytes are in or the pen stops delivering; returns the bytes received.
uint32_t GetNote(PortLink& link, uint32_t wanted, uint8_t* dest);

// The whole serial download: every note decoded into d.pages. Pages decoded
// before a failure stay.
uint32_t DownloadSerial(Download& d);

// Erases the pen's memory: the pen's status (0 = erased), DUVO_E_PROTOCOL,
// or DUVO_E_NOTINIT when the pen does not wake.
uint32_t EraseSerial(PortLink& link);

}  // namespace nibdl
