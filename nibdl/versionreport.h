#pragma once
// The pen's version report: 80 A9 followed by eight bytes b0..b7.

#include <cstdint>

#include "nibdl/nibdl.h"
#include "nibdl/portlink.h"

namespace nibdl {

// Looks for the report in n received bytes (at least 12) and fills *version
// from it; false when it is not there.
bool ParseVersionReport(const uint8_t* data, uint32_t n, DUVOVERSION* version);

// Asks for the report (95 95) and listens for it: DUVO_OK or DUVO_E_TIMEOUT.
uint32_t ReadVersionReport(PortLink& link, DUVOVERSION* version);

}  // namespace nibdl
