#pragma once
// One registered receiver of the route library: the window it stands for, its
// properties, its event queue and whether its window is active.

#include <cstdint>

#include "nibroute/eventqueue.h"
#include "nibroute/nibroute.h"
#include "nibroute/propertystore.h"

namespace nibroute {

struct Receiver {
  int32_t handle = 0;
  ReceiverInfo info{};
  PropertyStore properties;
  EventQueue queue;
  bool active = false;
  // Order of the last ZMTActivate among all receivers (higher = more recent).
  uint64_t activation = 0;
};

}  // namespace nibroute
