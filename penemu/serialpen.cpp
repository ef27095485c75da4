#include "penemu/serialpen.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>

#include "common/trace.h"
#include "penemu/penversion.h"
#include "penemu/stopsignal.h"

namespace scrivel::penemu {

namespace {

constexpr size_t kChunk = 63;  // note bytes per packet; with the XOR byte L <= 64

uint8_t Xor(const uint8_t* bytes, size_t n) {
  uint8_t x = 0;
  for (size_t i = 0; i < n; ++i) x ^= bytes[i];
  return x;
}

}  // namespace

SerialPen::SerialPen(NoteMemory& memory, Faults& faults, double bytesPerSecond)
    : m_memory(memory), m_faults(faults), m_pacer(bytesPerSecond) {}

SerialPen::~SerialPen() {
  if (m_master >= 0) close(m_master);
  if (m_slave >= 0) close(m_slave);
  // Remove the link only while it still names our pty.
  char target[256];
  if (!m_link.empty()) {
    const ssize_t n = readlink(m_link.c_str(), target, sizeof target - 1);
    if (n > 0 && std::string(target, size_t(n)) == m_slaveName) unlink(m_link.c_str());
  }
}

bool SerialPen::open(const std::string& link, std::string& error) {
  struct stat st;
  if (lstat(link.c_str(), &st) == 0 && !S_ISLNK(st.st_mode)) {
    error = link + " exists and is not a symbolic link";
    return false;
  }
  m_master = posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  char name[128];
  if (m_master < 0 || grantpt(m_master) != 0 || unlockpt(m_master) != 0 ||
      ptsname_r(m_master, name, sizeof name) != 0) {
    error = std::string("cannot create a pty: ") + std::strerror(errno);
    return false;
  }
  m_slaveName = name;
  m_slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  termios tio;
  if (m_slave < 0 || tcgetattr(m_slave, &tio) != 0) {
    error = "cannot open " + m_slaveName + ": " + std::strerror(errno);
    return false;
  }
  cfmakeraw(&tio);
  cfsetispeed(&tio, B115200);
  cfsetospeed(&tio, B115200);
  if (tcsetattr(m_slave, TCSANOW, &tio) != 0 ||
      fcntl(m_master, F_SETFL, fcntl(m_master, F_GETFL) | O_NONBLOCK) != 0) {
    error = "cannot set up " + m_slaveName + ": " + std::strerror(errno);
    return false;
  }
  // Linked under a temporary name and renamed, so the path never dangles.
  const std::string temp = link + ".penemu-" + std::to_string(getpid());
  unlink(temp.c_str());
  if (symlink(m_slaveName.c_str(), temp.c_str()) != 0 || rename(temp.c_str(), link.c_str()) != 0) {
    error = "cannot link " + link + ": " + std::strerror(errno);
    unlink(temp.c_str());
    return false;
  }
  m_link = link;
  return true;
}

void SerialPen::sendRaw(const uint8_t* bytes, size_t n) {
  if (m_faults.stalled()) return;
  m_out.insert(m_out.end(), bytes, bytes + n);
}

void SerialPen::sendRaw(std::initializer_list<uint8_t> bytes) { sendRaw(bytes.begin(), bytes.size()); }

void SerialPen::reply(const std::vector<uint8_t>& body) {
  std::vector<uint8_t> r;
  r.push_back(uint8_t(body.size() + 1));
  r.insert(r.end(), body.begin(), body.end());
  r.push_back(Xor(body.data(), body.size()));
  sendRaw(r.data(), r.size());
}

void SerialPen::startTransfer(size_t note) {
  m_transfer = true;
  m_note = note;
  m_chunkBegin = 0;
  m_chunkSize = std::min(kChunk, m_memory.note(note).size());
  Trace("penemu: sending note %zu (%zu bytes)", note + 1, m_memory.note(note).size());
  sendPacket(true);
}

void SerialPen::endTransfer() { m_transfer = false; }

void SerialPen::sendPacket(bool firstTime) {
  if (m_faults.stalled()) return;
  if (m_faults.budget() == 0) {
    if (m_faults.disconnectDue()) m_disconnect = true;
    return;
  }
  const auto note = m_memory.note(m_note);
  std::vector<uint8_t> chunk(note.begin() + long(m_chunkBegin),
                             note.begin() + long(m_chunkBegin + m_chunkSize));
  if (firstTime) {
    // Duplicates and reordering do not apply here: the host files every
    // well-formed packet after its answer as the next part of the note.
    const Faults::Decision d = m_faults.decide();
    if (d.drop) {
      Trace("penemu: dropping the packet at byte %zu", m_chunkBegin);
      return;
    }
    if (d.corrupt) {
      std::vector<uint8_t> r{uint8_t(chunk.size() + 1)};
      r.insert(r.end(), chunk.begin(), chunk.end());
      r.push_back(Xor(chunk.data(), chunk.size()));
      r[1 + chunk.size() / 2] ^= 0x10;  // a data byte; the XOR no longer matches
      sendRaw(r.data(), r.size());
      m_faults.countSent(1);
      return;
    }
  }
  reply(chunk);
  m_faults.countSent(1);
}

bool SerialPen::handleCommand(const uint8_t* c, size_t available, size_t& used) {
  auto need = [&](size_t n) {
    used = n;
    return available >= n;
  };
  used = 1;
  switch (c[0]) {
    case 0xFF:
      sendRaw({0xFC});
      return true;
    case 0xA0:
      if (!need(2)) return false;
      if (c[1] == 1) m_commandMode = true;
      if (c[1] == 0) m_commandMode = false;
      sendRaw({0x03, 0xA0, c[1]});
      return true;
    case 0x95:
      if (!need(2)) return false;
      if (c[1] != 0x95) {
        used = 1;
        return true;
      }
      {
        std::vector<uint8_t> r(kVersionSignature.begin(), kVersionSignature.end());
        r.insert(r.end(), kVersionBytes.begin(), kVersionBytes.end());
        r.resize(12, 0);
        sendRaw(r.data(), r.size());
      }
      return true;
    case 0xB5:
      if (m_commandMode) {
        const size_t count = std::min<size_t>(m_memory.noteCount(), 0xFFFF);
        reply({uint8_t(count), uint8_t(count >> 8), 0, 0, 0, 0});
      }
      return true;
    case 0xB6:
    case 0xB7: {
      if (!need(3)) return false;
      if (!m_commandMode) return true;
      const size_t n = size_t(c[1]) | size_t(c[2]) << 8;
      const bool known = n >= 1 && n <= m_memory.noteCount();
      if (c[0] == 0xB6) {
        const uint32_t length = known ? uint32_t(m_memory.note(n - 1).size()) : 0;
        reply({uint8_t(length), uint8_t(length >> 8), uint8_t(length >> 16), uint8_t(length >> 24), 0});
      } else if (known) {
        startTransfer(n - 1);
      } else {
        endTransfer();
      }
      return true;
    }
    case 0xB8:
      if (!need(2)) return false;
      if (!m_commandMode || !m_transfer) return true;
      if (c[1] == 0x00) {
        m_chunkBegin += m_chunkSize;
        const size_t length = m_memory.note(m_note).size();
        if (m_chunkBegin >= length) {
          endTransfer();
        } else {
          m_chunkSize = std::min(kChunk, length - m_chunkBegin);
          sendPacket(true);
        }
      } else if (c[1] == 0x02) {
        sendPacket(false);
      } else if (c[1] == 0x03) {
        endTransfer();
      }
      return true;
    case 0xB0:
      if (m_commandMode) {
        endTransfer();
        m_memory.erase();
        Trace("penemu: memory erased");
        reply({0xB0, 0x00});
      }
      return true;
    default:
      return true;  // not a command: skipped
  }
}

void SerialPen::handleInput() {
  size_t i = 0;
  while (i < m_in.size() && !m_disconnect) {
    size_t used = 1;
    if (!handleCommand(m_in.data() + i, m_in.size() - i, used)) break;
    i += used;
  }
  m_in.erase(m_in.begin(), m_in.begin() + long(i));
}

void SerialPen::writeOut() {
  const size_t pending = m_out.size() - m_outWritten;
  const size_t allowed = m_pacer.allowance(pending, Pacer::Clock::now());
  if (allowed == 0) return;
  const ssize_t n = write(m_master, m_out.data() + m_outWritten, allowed);
  if (n > 0) {
    m_outWritten += size_t(n);
    m_pacer.sent(size_t(n));
  }
  if (m_outWritten == m_out.size()) {
    m_out.clear();
    m_outWritten = 0;
  }
}

int SerialPen::run() {
  const int stopFd = StopSignal::Instance().fd();
  while (!StopSignal::Instance().requested()) {
    if (m_disconnect) {
      std::fprintf(stderr, "penemu: disconnecting after %llu data packets\n",
                   static_cast<unsigned long long>(m_faults.sent()));
      m_faults.markDisconnected();
      close(m_master);
      m_master = -1;
      return 0;
    }
    const bool pending = m_outWritten < m_out.size();
    int timeout = -1;
    short events = POLLIN;
    if (pending) {
      const auto now = Pacer::Clock::now();
      if (!m_pacer.paced() || m_pacer.due() <= now) {
        events |= POLLOUT;
      } else {
        const auto wait = std::chrono::duration<double, std::milli>(m_pacer.due() - now).count();
        timeout = std::max(1, int(std::ceil(wait)));
      }
    }
    pollfd fds[2] = {{m_master, events, 0}, {stopFd, POLLIN, 0}};
    if (poll(fds, 2, timeout) < 0) {
      if (errno == EINTR) continue;
      std::perror("penemu: poll");
      return 1;
    }
    if (fds[1].revents) break;
    if (fds[0].revents & POLLIN) {
      uint8_t buffer[1024];
      const ssize_t n = read(m_master, buffer, sizeof buffer);
      if (n > 0) {
        m_in.insert(m_in.end(), buffer, buffer + n);
        handleInput();
      }
    }
    if (fds[0].revents & POLLOUT) writeOut();
  }
  return 0;
}

}  // namespace scrivel::penemu
