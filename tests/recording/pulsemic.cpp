#include "tests/recording/pulsemic.h"

#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <vector>

namespace scrivel::test {
namespace {

constexpr int kRate = 44100;
constexpr int kChunkFrames = kRate / 100;  // 10 ms

}  // namespace

std::string PulseMic::FindPulseAudio() {
  const char* path = std::getenv("PATH");
  std::string dirs = path != nullptr ? path : "/usr/bin:/bin";
  size_t start = 0;
  while (start <= dirs.size()) {
    size_t end = dirs.find(':', start);
    if (end == std::string::npos) end = dirs.size();
    const std::string candidate = dirs.substr(start, end - start) + "/pulseaudio";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
    start = end + 1;
  }
  return {};
}

PulseMic::PulseMic(const ToneSpec& tone) : m_tone(tone) {
  const std::string program = FindPulseAudio();
  if (program.empty()) {
    m_error = "pulseaudio is not installed";
    return;
  }
  const std::string fifo = m_dir.file("mic.fifo");
  const std::string silentFifo = m_dir.file("other.fifo");
  std::filesystem::remove(fifo);  // the module creates its FIFO
  std::filesystem::remove(silentFifo);
  const std::string format = " format=s16le rate=44100 channels=2";
  // The server ends 20 s after its last client went, so a test process that
  // dies without stopping it leaves nothing running for long.
  m_daemon = std::make_unique<ChildProcess>(
      program,
      std::vector<std::string>{"-n", "--daemonize=no", "--exit-idle-time=20", "--use-pid-file=no",
                               "--disable-shm=yes", "-L",
                               "module-native-protocol-unix auth-anonymous=1 socket=" + m_dir.file("native"),
                               "-L", "module-pipe-source source_name=othermic file=" + silentFifo + format,
                               "-L", "module-pipe-source source_name=pipemic file=" + fifo + format},
      std::vector<std::string>{"HOME=" + m_dir.path(), "XDG_RUNTIME_DIR=" + m_dir.path(),
                               "XDG_CONFIG_HOME=" + m_dir.file("config"), "PULSE_SERVER="},
      m_dir.path());
  if (!WaitForPath(m_dir.file("native")) || !WaitForPath(fifo)) {
    m_error = "the sound server did not start: " + log();
    return;
  }
  const RunResult set = Run("/usr/bin/pactl", {"set-default-source", "pipemic"}, {"PULSE_SERVER=" + server()},
                            std::chrono::seconds(10));
  if (set.exitCode != 0) {
    m_error = "pactl set-default-source failed: " + set.err;
    return;
  }
  // The module holds the FIFO open for reading, so this open does not block.
  const int fd = open(fifo.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    m_error = "cannot open the microphone's FIFO";
    return;
  }
  m_feeder = std::thread(&PulseMic::Feed, this, fd);
}

PulseMic::~PulseMic() {
  m_stop = true;
  if (m_feeder.joinable()) m_feeder.join();
  if (m_daemon) m_daemon->stop();
}

void PulseMic::UseInThisProcess() const { setenv("PULSE_SERVER", server().c_str(), 1); }

std::string PulseMic::log() const {
  return m_daemon ? m_daemon->stdoutText() + m_daemon->stderrText() : std::string();
}

// Writes the tone in 10 ms chunks at the pace of a real microphone. When the
// server stops reading for a while (no recording stream), the writer waits
// and then goes on at real-time pace without catching up, as a microphone
// would; the tone stays continuous across.
void PulseMic::Feed(int fd) {
  using Clock = std::chrono::steady_clock;
  std::vector<int16_t> chunk(static_cast<size_t>(kChunkFrames) * 2);
  int64_t frame = 0;
  auto anchor = Clock::now();
  int64_t sentSinceAnchor = 0;
  const double step = 2 * M_PI * m_tone.frequency / kRate;
  while (!m_stop.load()) {
    for (int i = 0; i < kChunkFrames; ++i) {
      const double s = std::sin(step * static_cast<double>(frame + i));
      chunk[2 * i] = static_cast<int16_t>(std::lround(m_tone.leftAmplitude * s));
      chunk[2 * i + 1] = static_cast<int16_t>(std::lround(m_tone.rightAmplitude * s));
    }
    const auto* bytes = reinterpret_cast<const char*>(chunk.data());
    size_t left = chunk.size() * sizeof(int16_t);
    while (left > 0 && !m_stop.load()) {
      const ssize_t n = write(fd, bytes, left);
      if (n > 0) {
        bytes += n;
        left -= static_cast<size_t>(n);
      } else {
        std::this_thread::sleep_for(std::chrono::milliseconds(2));  // the pipe is full
      }
    }
    frame += kChunkFrames;
    sentSinceAnchor += kChunkFrames;
    const auto due = anchor + std::chrono::microseconds(sentSinceAnchor * 1000000 / kRate);
    const auto now = Clock::now();
    if (due > now) {
      std::this_thread::sleep_until(due);
    } else if (now - due > std::chrono::milliseconds(50)) {
      anchor = now;  // fell behind (blocked): go on from here at real-time pace
      sentSinceAnchor = 0;
    }
  }
  close(fd);
}

}  // namespace scrivel::test
