#pragma once
// A live source of pen events behind the route library: it opens its device or
// socket, then a thread of its own waits on the file descriptor (and on a
// wake-up descriptor, so that Stop returns promptly) and hands what it reads to
// a RouteSink. One subclass per kind of source; MakeRouteSource picks one from
// the configured name.

#include <memory>
#include <string>
#include <thread>

#include "nibroute/routesink.h"

namespace nibroute {

class RouteSource {
 public:
  RouteSource();
  virtual ~RouteSource();
  RouteSource(const RouteSource&) = delete;
  RouteSource& operator=(const RouteSource&) = delete;

  // Opens the device or connects; false when it cannot be reached.
  bool Open();
  // Starts the reader thread, which delivers to `sink` until the source is
  // gone or Stop is called. Call after a successful Open. False when no
  // thread could be started.
  bool Start(RouteSink& sink);
  // Stops and joins the reader thread and closes the descriptor. Harmless
  // when not started. Must not be called from the reader thread.
  void Stop();

  // True on a reader thread of any source (notifications run there).
  static bool OnSourceThread();

 protected:
  // Opens the source; returns a non-blocking descriptor or -1. Runs once.
  virtual int OpenDescriptor() = 0;
  // The descriptor is readable (or hung up): read what is there and deliver
  // it. Returns false when the source is gone.
  virtual bool ReadAvailable(int fd, RouteSink& sink) = 0;
  // Called on the reader thread after the arrival, before the first read:
  // delivers what the source's state at opening implies.
  virtual void Begin(RouteSink& /*sink*/) {}
  // Called once the reader thread has ended, before the descriptor closes.
  virtual void Release() {}

 private:
  void Run(RouteSink* sink);

  int m_fd = -1;
  int m_wake = -1;
  std::thread m_thread;
};

// The source that a RouteSource configuration value names: "unix:<path>",
// "evdev:<path>" or "evdev:auto". Null when the name is not understood.
std::unique_ptr<RouteSource> MakeRouteSource(const std::string& name);

}  // namespace nibroute
