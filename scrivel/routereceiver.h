#pragma once
// The part of opening the pen route that both windows share: the route
// library started, and the window's receiver opened once with its two
// properties (plain events, pen mode 1).

#include <cstdint>

#include "nibroute/nibroute.h"

namespace scrivel {

// ZMTInitEx; a failure is traced and gives false. When `hRoute` is -1, opens
// a receiver for `window` that notifies through `post` (null: no notice) and
// sets its properties 1 and 16 to 1; a failure leaves `hRoute` at -1 and
// gives false.
bool OpenRouteReceiver(void* window, ZMTNotifyFunc post, int32_t& hRoute);

}  // namespace scrivel
