// Fuzz target: bytes as a pen would send them, through the USB packet store
// and the note decoder, and as a memory image, a serial note, a count reply
// and a version report. Every buffer is exactly as long as its data, so any
// read past the end is caught.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "nibdl/notedecoder.h"
#include "nibdl/packetstore.h"
#include "nibdl/pointtransform.h"
#include "nibdl/usbdialect.h"
#include "nibdl/versionreport.h"

using namespace nibdl;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static PacketStore& packets = *new PacketStore;
  // Clear only the slots this input can reach (the store is 2 MB).
  uint32_t highest = 0;
  for (size_t at = 0; at + kPacketSize <= size; at += kPacketSize)
    highest = std::max<uint32_t>(highest, (data[at] << 8) | data[at + 1]);
  const size_t reach = std::min(packets.store.size(), (static_cast<size_t>(highest) + 2) * kPacketSize);
  std::memset(packets.store.data(), 0, reach);
  std::memset(packets.log.data(), kPacketMissing, packets.log.size());
  const std::vector<uint8_t> bytes(data, data + size);
  const auto length = static_cast<uint32_t>(size);

  PointTransform transform;
  transform.SetMode(size > 0 ? data[0] % 5 : 0, size > 1 ? data[1] : 0);

  // A stream of 64-byte reports: filed, checked, recovered, stripped, decoded.
  const uint32_t last = StorePackets(packets, bytes.data(), length);
  const uint32_t count = last;  // as if the pen had announced that many
  CheckPackets(packets, count);
  FileMissingPackets(packets, count, bytes.data(), length);
  const size_t imageSize = StripPacketNumbers(packets, count);
  PageList fromStream;
  DecodeImage(packets.store.data(), imageSize, transform, fromStream);

  // The same bytes as a memory image and as one serial note.
  PageList fromImage, fromNote;
  DecodeImage(bytes.data(), bytes.size(), transform, fromImage);
  DecodeNote(bytes.data(), bytes.data() + bytes.size(), transform, fromNote);

  // Replies.
  ParsePacketCount(bytes.data(), length);
  DUVOVERSION version{};
  ParseVersionReport(bytes.data(), length, &version);
  return 0;
}
