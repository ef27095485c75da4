#pragma once
// An in-process pen that answers the USB dialect: count report, packet
// stream, packets asked for again, erase and version report.

#include <cstdint>
#include <set>
#include <vector>

#include "tests/nibdl/fakelink.h"

namespace nibdl::test {

class FakeUsbPen : public FakeLink {
 public:
  FakeUsbPen() { wholeChunks = true; }
  void SetImage(const Bytes& image);  // the count follows from its size
  uint32_t packetCount = 0;
  std::vector<uint32_t> streamOrder;  // packets sent after the first B6; default 1..count
  std::set<uint32_t> neverResend;     // B7 for these gets no answer
  bool answerCount = true;
  Bytes version{0x80, 0xA9, 0x01, 0x01, 0x1E, 0x02, 0x03, 0x04, 0x05, 0x06};
  bool erased = false;

  Bytes Packet(uint32_t p) const;

 protected:
  void OnCommand(const Bytes& command) override;

 private:
  Bytes m_image;
  bool m_streaming = false;
};

}  // namespace nibdl::test
