#pragma once
// SIGTERM and SIGINT turned into a readable file descriptor (a self-pipe), so
// the pens' poll loops end cleanly and remove what they created.

namespace scrivel::penemu {

class StopSignal {
 public:
  // Installs the handlers once per process; SIGPIPE is ignored as well.
  static StopSignal& Instance();

  int fd() const { return m_read; }
  bool requested() const;

 private:
  StopSignal();
  int m_read = -1;
};

}  // namespace scrivel::penemu
