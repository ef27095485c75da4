#include "nibdl/usbdialect.h"

#include <algorithm>
#include <memory>
#include <new>
#include <vector>

#include "common/trace.h"
#include "nibdl/dumpfile.h"
#include "nibdl/nibdl.h"
#include "nibdl/notedecoder.h"
#include "nibdl/pointtransform.h"
#include "nibdl/transport.h"

namespace nibdl {

namespace {

constexpr uint8_t kPacketCount = 0xB5;
constexpr uint8_t kStream = 0xB6;
constexpr uint8_t kResend = 0xB7;
constexpr uint8_t kErase = 0xB0;
constexpr uint8_t kMarker = 0xAA;
constexpr int kMarkerLength = 5;

constexpr uint32_t kCountWaitMs = 100;
constexpr int kCountAttempts = 10;
constexpr uint32_t kStreamWaitMs = 500;
constexpr uint32_t kResendWaitMs = 1000;
constexpr int kResendWaits = 10;
constexpr int kGoneChecks = 10;
constexpr uint32_t kGoneCheckMs = 1000;
constexpr uint32_t kEraseGapMs = 200;

}  // namespace

uint32_t ParsePacketCount(const uint8_t* data, uint32_t n) {
  int run = 0;
  for (uint32_t i = 0; i < n; ++i) {
    if (data[i] != kMarker) {
      run = 0;
      continue;
    }
    if (++run == kMarkerLength) {
      if (i + 2 >= n) return 0xFFFFFFFF;
      return data[i + 1] * 256u + data[i + 2];
    }
  }
  return 0xFFFFFFFF;
}

uint32_t GetPacketCount(PortLink& link, uint32_t* packetsInMemory) {
  DrainStale(link);
  link.Send({kPacketCount});
  std::vector<uint8_t> buffer(kDataBufferSize);
  bool timedOut = false;
  for (int attempt = 0;; ++attempt) {
    uint32_t n = 0;
    timedOut = !WaitForData(link, buffer.data(), kDataBufferSize, &n, kCountWaitMs);
    // An empty read is a stale signal, not an answer: asking again would only
    // leave surplus count replies in the packet stream.
    if (n > 0) {
      const uint32_t count = ParsePacketCount(buffer.data(), n);
      if (count <= kMaxPackets) {
        *packetsInMemory = count;
        return DUVO_OK;
      }
      link.Send({kPacketCount});
      link.Send({kPacketCount});
    }
    if (attempt >= kCountAttempts) break;
  }
  return timedOut ? DUVO_E_TIMEOUT : DUVO_E_PROTOCOL;
}

uint32_t RecoverPackets(PortLink& link, PacketStore& packets, uint32_t count) {
  std::vector<uint8_t> buffer(kDataBufferSize);
  for (uint32_t p = 1; p <= count; ++p) {
    if (packets.log[p] == kPacketPresent) continue;  // came in while asking for another
    scrivel::Trace("NibDL.dll: asking again for packet %u", p);
    link.Send({kResend, static_cast<uint8_t>(p >> 8), static_cast<uint8_t>(p & 0xFF)});
    // Every packet that arrives is filed, so the rest of a stream still under
    // way is not lost; only waits that bring nothing missing count.
    int waits = 0;
    while (packets.log[p] != kPacketPresent) {
      if (waits == kResendWaits) return DUVO_E_PROTOCOL;
      uint32_t n = 0;
      if (!WaitForData(link, buffer.data(), kDataBufferSize, &n, kResendWaitMs)) return DUVO_E_TIMEOUT;
      if (FileMissingPackets(packets, count, buffer.data(), n) == 0) ++waits;
    }
  }
  return DUVO_OK;
}

bool WaitForDisconnect(PortLink& link) {
  for (int check = 0; check < kGoneChecks; ++check) {
    if (link.Disconnected()) return true;
    link.Sleep(kGoneCheckMs);
  }
  return false;
}

void EraseUsb(PortLink& link) {
  link.Send({kStream});
  link.Sleep(kEraseGapMs);
  link.Send({kStream});
  link.Sleep(kEraseGapMs);
  link.Send({kErase});
}

namespace {

// USB pages take the transform mode of the route library's position setting.
PointTransform UsbTransform(const Download& d) {
  PointTransform transform;
  transform.SetMode(d.readPosition ? d.readPosition() : 0, d.deviceType);
  return transform;
}

// After a failed stream: the notes that lie wholly in the packets before the
// first one missing become the download's pages. The pen is not erased.
void KeepWholeNotes(Download& d, PacketStore& packets, uint32_t packetsInMemory) {
  std::fill(packets.log.begin(), packets.log.end(), kPacketMissing);
  CheckPackets(packets, packetsInMemory);
  uint32_t whole = 0;
  while (whole < packetsInMemory && packets.log[whole + 1] == kPacketPresent) ++whole;
  const size_t size = StripPacketNumbers(packets, whole);
  PageList pages;
  DecodeImage(packets.store.data(), size, UsbTransform(d), pages);
  scrivel::Trace("NibDL.dll: download cut off after %u of %u packets; %zu whole notes kept", whole,
                 packetsInMemory, pages.size());
  d.pages.Replace(std::move(pages));
}

// Receives the stream into `packets` and asks again for what is missing.
uint32_t ReceiveStream(Download& d, PacketStore& packets, uint32_t packetsInMemory, int mode) {
  PortLink& link = d.link;
  std::vector<uint8_t> buffer(kDataBufferSize);
  uint32_t last = 0;
  bool timedOut = false;
  // An empty pen sends no packets: there is nothing to wait for.
  while (packetsInMemory > 0 && last < packetsInMemory) {
    uint32_t n = 0;
    if (!WaitForData(link, buffer.data(), kDataBufferSize, &n, kStreamWaitMs)) {
      timedOut = true;
      break;
    }
    if (n == 0) continue;
    last = StorePackets(packets, buffer.data(), n);
    if (last == 0) return DUVO_E_PROTOCOL;
    d.progress.store(std::min<uint32_t>(100, last * 100 / packetsInMemory));
  }
  if (timedOut && WaitForDisconnect(link)) return DUVO_E_TIMEOUT;

  std::fill(packets.log.begin(), packets.log.end(), kPacketMissing);
  const uint32_t present = CheckPackets(packets, packetsInMemory);
  if (present != packetsInMemory) {
    const uint32_t result = RecoverPackets(link, packets, packetsInMemory);
    if (result != DUVO_OK) {
      if (mode == kModeNormal) d.Notify(DUVO_PROGRESS_LOST, 100);
      return result;
    }
  }
  return DUVO_OK;
}

}  // namespace

uint32_t DownloadUsb(Download& d, int mode) {
  PortLink& link = d.link;
  std::unique_ptr<PacketStore> packets;
  try {
    packets = std::make_unique<PacketStore>();
  } catch (const std::bad_alloc&) {
    return DUVO_E_NOMEMORY;
  }

  uint32_t packetsInMemory = 0;
  if (const uint32_t result = GetPacketCount(link, &packetsInMemory); result != DUVO_OK) return result;
  scrivel::Trace("NibDL.dll: %u packets in memory", packetsInMemory);
  link.Send({kStream});

  if (const uint32_t result = ReceiveStream(d, *packets, packetsInMemory, mode); result != DUVO_OK) {
    if (mode == kModeNormal) KeepWholeNotes(d, *packets, packetsInMemory);
    return result;
  }
  link.Send({kStream});

  if (mode == kModeDump) {
    WriteDumpFile(d.dumpFolder, packets->store.data(), packetsInMemory);
    return 1;
  }

  d.Notify(DUVO_PROGRESS_TRANSFER, 100);
  const size_t size = StripPacketNumbers(*packets, packetsInMemory);
  PageList pages;
  const bool clean = DecodeImage(packets->store.data(), size, UsbTransform(d), pages);
  const bool none = pages.empty();
  d.pages.Replace(std::move(pages));
  // A memory that holds only notes too short to keep is emptied; an image
  // that did not decode cleanly is left alone.
  if (none && packetsInMemory > 0 && clean) {
    scrivel::Trace("NibDL.dll: no page kept; erasing the pen");
    EraseUsb(link);
  }
  return DUVO_OK;
}

}  // namespace nibdl
