#pragma once
// The pen's live receiver on a Unix stream socket: to each host that connects
// it writes the script's pen events as 6-byte records, paced at a fixed rate,
// and then keeps the connection open (the receiver stays plugged in) until
// the host hangs up. The next host gets the whole script again.

#include <string>
#include <vector>

#include "penemu/livescript.h"
#include "penemu/unixlistener.h"

namespace scrivel::penemu {

class LivePen {
 public:
  // The pen's sampling rate when none is given, in events per second.
  static constexpr double kDefaultRate = 100;

  LivePen(std::vector<LiveEvent> events, double eventsPerSecond);

  bool listen(const std::string& path, std::string& error) { return m_listener.listen(path, error); }
  // Serves hosts until SIGTERM/SIGINT; returns the exit code. After the whole
  // script went to a host it prints "penemu: live pen wrote N strokes (M events)".
  int run();

 private:
  enum class End { HangUp, Stop };
  End serve(int fd);

  std::vector<LiveEvent> m_events;
  double m_rate;
  UnixListener m_listener;
};

}  // namespace scrivel::penemu
