#pragma once
// Where a live source hands what it reads. Called from the source's own thread.

#include <cstddef>

#include "nibroute/nibroute.h"

namespace nibroute {

class RouteSink {
 public:
  virtual ~RouteSink() = default;
  // The source is open and its thread runs; called first on that thread.
  virtual void SourceArrived() = 0;
  // Events read from the source, oldest first.
  virtual void Deliver(const ZMTEvent* events, size_t count) = 0;
  // The source hung up or its device went away; the source thread ends after this.
  virtual void SourceGone() = 0;
};

}  // namespace nibroute
