#include "tests/nibdl/fakeusbpen.h"

#include <algorithm>

namespace nibdl::test {

void FakeUsbPen::SetImage(const Bytes& image) {
  m_image = image;
  packetCount = static_cast<uint32_t>((image.size() + 61) / 62);
}

Bytes FakeUsbPen::Packet(uint32_t p) const {
  Bytes packet(64, 0);
  packet[0] = static_cast<uint8_t>(p >> 8);
  packet[1] = static_cast<uint8_t>(p & 0xFF);
  const size_t begin = static_cast<size_t>(p - 1) * 62;
  for (size_t i = 0; i < 62 && begin + i < m_image.size(); ++i) packet[2 + i] = m_image[begin + i];
  return packet;
}

void FakeUsbPen::OnCommand(const Bytes& c) {
  switch (c[0]) {
    case 0xB5:
      if (answerCount) {
        Bytes report(64, 0);
        report[0] = 0x5A;
        std::fill_n(report.begin() + 3, 5, 0xAA);
        report[8] = static_cast<uint8_t>(packetCount >> 8);
        report[9] = static_cast<uint8_t>(packetCount & 0xFF);
        Deliver(report);
      }
      break;
    case 0xB6:
      if (m_streaming) {
        m_streaming = false;
        break;
      }
      m_streaming = true;
      if (streamOrder.empty())
        for (uint32_t p = 1; p <= packetCount; ++p) streamOrder.push_back(p);
      for (uint32_t p : streamOrder) Deliver(Packet(p));
      break;
    case 0xB7: {
      const uint32_t p = (c[1] << 8) | c[2];
      if (!neverResend.count(p)) Deliver(Packet(p));
      break;
    }
    case 0xB0:
      erased = true;
      break;
    case 0x95: {
      Bytes report = version;
      report.resize(64, 0);
      Deliver(report);
      break;
    }
    default:
      break;
  }
}

}  // namespace nibdl::test
