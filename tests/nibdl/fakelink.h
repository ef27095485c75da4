#pragma once
// FakeLink: a PortLink for tests on a virtual clock. Sleep and waits advance
// the clock instead of blocking, so the protocol's real timings cost nothing.
// Bytes a pen sends become readable at a given virtual time.

#include <cstdint>
#include <deque>
#include <optional>
#include <vector>

#include "nibdl/portlink.h"

namespace nibdl::test {

using Bytes = std::vector<uint8_t>;

class FakeLink : public PortLink {
 public:
  void Send(const uint8_t* data, uint32_t length) override;
  using PortLink::Send;
  bool WaitPending(uint32_t timeoutMs) override;
  bool Disconnected() override;
  void Sleep(uint32_t ms) override { m_now += ms; }

  // Bytes that become readable `delayMs` from now.
  void Deliver(Bytes bytes, uint64_t delayMs = 0);
  // The pen is reported gone from `atMs` on (virtual time).
  void GoneAt(uint64_t atMs) { m_goneAt = atMs; }

  uint64_t now() const { return m_now; }
  const std::vector<Bytes>& sent() const { return m_sent; }
  int retrievals() const { return m_retrievals; }
  // Commands sent that start with `first` (and `second`, when given).
  int CountSent(uint8_t first, std::optional<uint8_t> second = {}) const;

  // Whole chunks only (64-byte USB reports), never a part of one.
  bool wholeChunks = false;
  // At most this many bytes per retrieval (a slow serial line).
  uint32_t maxPerRetrieve = UINT32_MAX;

 protected:
  uint32_t RetrieveData(uint8_t* buffer, uint32_t capacity) override;
  virtual void OnCommand(const Bytes& /*command*/) {}

 private:
  struct Chunk {
    uint64_t due;
    Bytes bytes;
  };
  bool DataDue() const;

  uint64_t m_now = 0;
  std::deque<Chunk> m_chunks;
  std::vector<Bytes> m_sent;
  std::optional<uint64_t> m_goneAt;
  int m_retrievals = 0;
};

}  // namespace nibdl::test
