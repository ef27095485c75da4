#pragma once
// The pen's version report: the signature 80 A9, then eight bytes b0..b7.
// b0 = 0x01 (head), b1 b2 = 1.30, b3 b4 = 0.3, b5 b6 = 0.1 (read by the host
// as three versions, 1.30 / 0.3 / 0.1), b7 = 0x7E (tail).

#include <array>
#include <cstdint>

namespace scrivel::penemu {

inline constexpr std::array<uint8_t, 2> kVersionSignature{0x80, 0xA9};
inline constexpr std::array<uint8_t, 8> kVersionBytes{0x01, 0x01, 0x1E, 0x00, 0x03, 0x00, 0x01, 0x7E};

}  // namespace scrivel::penemu
