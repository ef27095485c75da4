#pragma once
// A microphone for tests: a private PulseAudio server (no hardware) whose
// default source "pipemic" is a pipe source fed a sine tone at real-time pace
// from a thread of this process. A second pipe source "othermic", listed
// first and never fed, is there to catch a capture that takes the first
// listed input instead of the server's default. Stopped when the object goes.

#include <atomic>
#include <memory>
#include <string>
#include <thread>

#include "tests/support/process.h"
#include "tests/support/tempdir.h"

namespace scrivel::test {

struct ToneSpec {
  double frequency = 1000.0;  // Hz
  int leftAmplitude = 8000;   // peak, of 32767
  int rightAmplitude = 4000;
};

class PulseMic {
 public:
  explicit PulseMic(const ToneSpec& tone = {});
  ~PulseMic();
  PulseMic(const PulseMic&) = delete;
  PulseMic& operator=(const PulseMic&) = delete;

  // Empty when the server runs and the tone flows; otherwise why not.
  const std::string& error() const { return m_error; }
  // The value for PULSE_SERVER.
  std::string server() const { return "unix:" + m_dir.file("native"); }
  // Points this process's sound clients at the server.
  void UseInThisProcess() const;
  const ToneSpec& tone() const { return m_tone; }
  // The server's log so far.
  std::string log() const;

  // The pulseaudio program on PATH, or empty.
  static std::string FindPulseAudio();

 private:
  void Feed(int fd);

  ToneSpec m_tone;
  TempDir m_dir;
  std::unique_ptr<ChildProcess> m_daemon;
  std::thread m_feeder;
  std::atomic<bool> m_stop{false};
  std::string m_error;
};

}  // namespace scrivel::test
