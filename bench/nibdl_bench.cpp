// nibdl_bench: a full pen memory downloaded through the library over the USB
// port module from the pen emulator.
//   (a) paced at 1000 packets per second: wall time against the transfer's
//       own floor (packets / rate);
//   (b) unpaced: process CPU time for the whole download and decode, and the
//       time against a bare reader that drains the same stream itself.
// Usage: nibdl_bench [--notes N] [--rate R] [--skip-paced]

#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "bench/support/benchpen.h"
#include "nibdl/nibdl.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }

double ProcessCpuSeconds() {
  timespec ts{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &ts);
  return ts.tv_sec + ts.tv_nsec / 1e9;
}

bool ReadAll(int fd, uint8_t* buffer, size_t n) {
  size_t got = 0;
  while (got < n) {
    const ssize_t r = read(fd, buffer + got, n - got);
    if (r <= 0) return false;
    got += static_cast<size_t>(r);
  }
  return true;
}

// Drains the stream straight from the socket: B5, the count report, B6, every
// packet, B6. Returns the seconds from the first B6 to the last packet.
std::optional<double> BareReader(const std::string& socket, long packets) {
  const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  std::strncpy(addr.sun_path, socket.c_str(), sizeof addr.sun_path - 1);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) return std::nullopt;
  std::vector<uint8_t> buffer(static_cast<size_t>(packets) * 64);
  const uint8_t count = 0xB5, stream = 0xB6;
  bool ok = write(fd, &count, 1) == 1 && ReadAll(fd, buffer.data(), 64);
  const auto start = Clock::now();
  ok = ok && write(fd, &stream, 1) == 1 && ReadAll(fd, buffer.data(), buffer.size());
  const auto end = Clock::now();
  ok = ok && write(fd, &stream, 1) == 1;
  close(fd);
  if (!ok) return std::nullopt;
  return Seconds(end - start);
}

struct Run {
  uint32_t code = 0;
  int pages = 0;
  double wall = 0, cpu = 0;
  double transfer = 0;  // until the worker reported the packet transfer complete
};

struct Progress {
  Clock::time_point start;
  std::optional<Clock::time_point> transferred;
};

void OnProgress(int kind, int /*percent*/, void* context) {
  auto* progress = static_cast<Progress*>(context);
  if (kind == DUVO_PROGRESS_TRANSFER && !progress->transferred) progress->transferred = Clock::now();
}

Run Download() {
  Run run;
  Progress progress;
  const double cpu = ProcessCpuSeconds();
  const auto start = Clock::now();
  progress.start = start;
  run.code = DUVORequestData(&OnProgress, &progress);
  if (progress.transferred) run.transfer = Seconds(*progress.transferred - start);
  run.wall = Seconds(Clock::now() - start);
  run.cpu = ProcessCpuSeconds() - cpu;
  DUVOGetPageCount(&run.pages);
  return run;
}

std::optional<Run> Session(const std::string& home, const std::vector<std::string>& memory,
                           const char* title, long* packetsOut, std::optional<double>* bare) {
  const std::string socket = home + "/pen.sock";
  BenchPen pen(socket, memory);
  const auto packets = pen.Packets();
  if (!packets) {
    std::fprintf(stderr, "nibdl_bench: the emulator did not start\n");
    return std::nullopt;
  }
  *packetsOut = *packets;
  std::printf("%s: %s", title, pen.ready().c_str());
  if (bare != nullptr) *bare = BareReader(socket, *packets);
  if (!WriteConfig(home, socket) || DUVOOpenDevice(nullptr) != DUVO_OK) {
    std::fprintf(stderr, "nibdl_bench: the pen did not open\n");
    return std::nullopt;
  }
  const Run run = Download();
  DUVOCloseDevice();
  return run;
}

}  // namespace

int main(int argc, char** argv) {
  std::string notes = "100000";
  long rate = 1000;
  bool paced = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--notes" && i + 1 < argc) notes = argv[++i];
    else if (arg == "--rate" && i + 1 < argc) rate = std::strtol(argv[++i], nullptr, 10);
    else if (arg == "--skip-paced") paced = false;
    else {
      std::fprintf(stderr, "usage: nibdl_bench [--notes N] [--rate R] [--skip-paced]\n");
      return 2;
    }
  }
  char pattern[] = "/tmp/nibdl-bench-XXXXXX";
  if (mkdtemp(pattern) == nullptr) return 1;
  const std::string home = pattern;
  DUVOInit(DUVO_INTERFACE_VERSION);
  int status = 0;

  long packets = 0;
  std::optional<double> bare;
  if (const auto run = Session(home, {"--notes", notes}, "unpaced", &packets, &bare)) {
    std::printf("  result 0x%08X, %d pages from %ld packets\n", run->code, run->pages, packets);
    std::printf("  process CPU time, download and decode: %.3f s (aim < 0.5 s)\n", run->cpu);
    std::printf("  wall time in DUVORequestData: %.3f s (its waiting loop wakes every 0.5 s)\n", run->wall);
    std::printf("  packet transfer complete after %.3f s\n", run->transfer);
    if (bare) {
      std::printf("  bare reader draining the same stream: %.3f s; library transfer / bare: %.2f\n", *bare,
                  run->transfer / *bare);
    }
  } else {
    status = 1;
  }

  if (paced && status == 0) {
    const std::string pace = std::to_string(rate);
    if (const auto run = Session(home, {"--notes", notes, "--rate", pace}, "paced", &packets, nullptr)) {
      const double floor = static_cast<double>(packets) / static_cast<double>(rate);
      std::printf("  result 0x%08X, %d pages from %ld packets at %ld packets/s\n", run->code, run->pages,
                  packets, rate);
      std::printf("  wall time %.3f s against the %.3f s floor: ratio %.3f (aim <= 1.05)\n", run->wall, floor,
                  run->wall / floor);
      std::printf("  packet transfer complete after %.3f s; process CPU time %.3f s\n", run->transfer, run->cpu);
    } else {
      status = 1;
    }
  }
  std::error_code ignored;
  std::filesystem::remove_all(home, ignored);
  return status;
}
