// Fuzz target: bytes as a serial pen would send them, read through the
// transport (ReadReply, ReadPacket, the XOR check) and the serial dialect
// (wake-up, command mode, note count, note information, note packets). The
// input is cut into reads: each read takes one byte for its length, then that
// many bytes. Once the input is used up the pen falls silent and hangs up.

#include <algorithm>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "nibdl/download.h"
#include "nibdl/pagetable.h"
#include "nibdl/portlink.h"
#include "nibdl/serialdialect.h"
#include "nibdl/transport.h"

using namespace nibdl;

namespace {

class ScriptedPen : public PortLink {
 public:
  ScriptedPen(const uint8_t* data, size_t size) : m_data(data), m_size(size) {}
  void Send(const uint8_t*, uint32_t) override {}
  bool WaitPending(uint32_t) override { return m_at < m_size; }
  bool Disconnected() override { return m_at >= m_size; }
  void Sleep(uint32_t) override {}

 protected:
  uint32_t RetrieveData(uint8_t* buffer, uint32_t capacity) override {
    if (m_at >= m_size) return 0;
    const size_t wanted = m_data[m_at++];
    const size_t n = std::min({wanted, m_size - m_at, static_cast<size_t>(capacity)});
    std::copy(m_data + m_at, m_data + m_at + n, buffer);
    m_at += n;
    return static_cast<uint32_t>(n);
  }

 private:
  const uint8_t* m_data;
  size_t m_size;
  size_t m_at = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // The transport alone: replies and packets until the input runs out.
  {
    ScriptedPen pen(data, size);
    std::vector<uint8_t> reply(8 + kReplyBufferSize);
    const uint32_t n = ReadReply(pen, 8, reply.data(), reply.size());
    CheckSum(reply.data(), static_cast<int>(std::min<uint32_t>(n, reply.size())));
    std::vector<uint8_t> packet(kPacketDestSize);
    while (!pen.Disconnected()) {
      const uint32_t length = ReadPacket(pen, packet.data());
      CheckSum(packet.data(), static_cast<int>(length));
    }
  }
  // A whole serial download, decoded into a page table.
  {
    ScriptedPen pen(data, size);
    PageTable pages;
    std::atomic<uint32_t> progress{0};
    Download download{pen, pages, progress, {}, 0, {}, {}};
    DownloadSerial(download);
  }
  return 0;
}
