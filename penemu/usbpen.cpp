#include "penemu/usbpen.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
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

// Reports per write when unpaced: large batches keep a full download cheap.
constexpr size_t kBatchReports = 512;

}  // namespace

UsbPen::UsbPen(NoteMemory& memory, Faults& faults, double packetsPerSecond)
    : m_memory(memory), m_faults(faults), m_pacer(packetsPerSecond) {}

UsbPen::~UsbPen() = default;

bool UsbPen::listen(const std::string& path, std::string& error) {
  return m_listener.listen(path, error);
}

int UsbPen::run() {
  return m_listener.serveHosts([this](int fd) { return serve(fd) != End::Stop; }, "usb");
}

void UsbPen::resetConnection() {
  m_in.clear();
  m_replies.clear();
  m_resends.clear();
  m_pending.clear();
  m_streaming = false;
  m_nextPacket = 1;
  m_closeLink = false;
  m_batch.clear();
  m_batchKinds.clear();
  m_written = 0;
}

UsbPen::Report UsbPen::packet(size_t p) const {
  Report r;
  m_memory.writePacket(p, r.data());
  return r;
}

void UsbPen::queueReply(const Report& report) {
  if (!m_faults.stalled()) m_replies.push_back(report);
}

void UsbPen::stopStream() {
  m_streaming = false;
  m_pending.clear();
  m_resends.clear();
  // Packets of the batch not yet begun are not sent any more; a report that is
  // partly written is finished so the host stays in step.
  const size_t begun = (m_written + NoteMemory::kPacketSize - 1) / NoteMemory::kPacketSize;
  std::vector<uint8_t> batch(m_batch.begin(), m_batch.begin() + begun * NoteMemory::kPacketSize);
  std::vector<Kind> kinds(m_batchKinds.begin(), m_batchKinds.begin() + begun);
  for (size_t i = begun; i < m_batchKinds.size(); ++i) {
    if (m_batchKinds[i] == Kind::Data) continue;
    batch.insert(batch.end(), m_batch.begin() + i * NoteMemory::kPacketSize,
                 m_batch.begin() + (i + 1) * NoteMemory::kPacketSize);
    kinds.push_back(m_batchKinds[i]);
  }
  m_batch = std::move(batch);
  m_batchKinds = std::move(kinds);
}

void UsbPen::handleInput() {
  size_t i = 0;
  while (i < m_in.size()) {
    const uint8_t c = m_in[i];
    const size_t left = m_in.size() - i;
    size_t used = 1;
    if (c == 0x95) {
      if (left < 2) break;
      if (m_in[i + 1] == 0x95) {
        used = 2;
        Report r{};
        std::copy(kVersionSignature.begin(), kVersionSignature.end(), r.begin());
        std::copy(kVersionBytes.begin(), kVersionBytes.end(), r.begin() + 2);
        queueReply(r);
      }
    } else if (c == 0xB5) {
      Report r{};
      std::fill_n(r.begin(), 5, 0xAA);
      const size_t count = m_memory.packetCount();
      r[5] = uint8_t(count >> 8);
      r[6] = uint8_t(count);
      queueReply(r);
    } else if (c == 0xB6) {
      if (m_streaming) {
        Trace("penemu: stream closed");
        stopStream();
      } else if (!m_faults.stalled()) {
        m_streaming = true;
        m_nextPacket = 1;
        Trace("penemu: stream of %zu packets", m_memory.packetCount());
      }
    } else if (c == 0xB7) {
      if (left < 3) break;
      used = 3;
      const size_t p = size_t(m_in[i + 1]) << 8 | m_in[i + 2];
      if (m_streaming && p >= 1 && p <= m_memory.packetCount()) m_resends.push_back(p);
    } else if (c == 0xB0) {
      if (!m_streaming && !m_faults.stalled()) {
        m_memory.erase();
        Trace("penemu: memory erased");
      }
    }
    i += used;
  }
  m_in.erase(m_in.begin(), m_in.begin() + i);
}

bool UsbPen::dataWanted() const {
  return !m_pending.empty() || !m_resends.empty() ||
         (m_streaming && m_nextPacket <= m_memory.packetCount());
}

bool UsbPen::refillPending() {
  if (!m_resends.empty()) {
    m_pending.push_back(packet(m_resends.front()));
    m_resends.pop_front();
    return true;
  }
  const size_t count = m_memory.packetCount();
  while (m_streaming && m_nextPacket <= count) {
    const size_t p = m_nextPacket++;
    const Faults::Decision d = m_faults.decide();
    if (d.drop) {
      Trace("penemu: dropping packet %zu", p);
      continue;
    }
    Report r = packet(p);
    if (d.corrupt) r[0] = r[1] = 0;
    if (d.reorder && p < count) {
      m_pending.push_back(packet(m_nextPacket++));
      m_pending.push_back(r);
    } else {
      m_pending.push_back(r);
      if (d.duplicate) m_pending.push_back(r);
    }
    return true;
  }
  return false;
}

void UsbPen::fillBatch(Pacer::Clock::time_point now) {
  m_batch.clear();
  m_batchKinds.clear();
  m_written = 0;
  if (m_faults.stalled()) {
    m_replies.clear();
    return;
  }
  auto add = [&](const Report& r, Kind kind) {
    m_batch.insert(m_batch.end(), r.begin(), r.end());
    m_batchKinds.push_back(kind);
  };
  while (!m_replies.empty() && m_batchKinds.size() < kBatchReports) {
    add(m_replies.front(), Kind::Reply);
    m_replies.pop_front();
  }
  size_t room = kBatchReports - m_batchKinds.size();
  if (room == 0 || !dataWanted()) return;
  if (m_faults.budget() == 0) {
    if (m_faults.disconnectDue()) m_closeLink = true;
    return;
  }
  size_t allowed = std::min<uint64_t>({room, m_faults.budget(), m_pacer.allowance(room, now)});
  size_t sent = 0;
  while (sent < allowed && (!m_pending.empty() || refillPending())) {
    add(m_pending.front(), Kind::Data);
    m_pending.pop_front();
    ++sent;
  }
  m_pacer.sent(sent);
  m_faults.countSent(sent);
}

UsbPen::End UsbPen::serve(int fd) {
  resetConnection();
  const int stopFd = StopSignal::Instance().fd();
  for (;;) {
    const auto now = Pacer::Clock::now();
    if (m_written == m_batch.size()) {
      if (m_closeLink) {
        std::fprintf(stderr, "penemu: disconnecting after %llu data packets\n",
                     static_cast<unsigned long long>(m_faults.sent()));
        m_faults.markDisconnected();
        return End::HangUp;
      }
      fillBatch(now);
      if (m_batch.empty() && m_closeLink) continue;
    }
    int timeout = -1;
    if (m_batch.empty() && m_pacer.paced() && dataWanted() && !m_faults.stalled() &&
        m_faults.budget() > 0) {
      const auto wait = std::chrono::duration<double, std::milli>(m_pacer.due() - now).count();
      timeout = std::max(0, int(std::ceil(wait)));
    }
    pollfd fds[2] = {{fd, short(POLLIN | (m_written < m_batch.size() ? POLLOUT : 0)), 0},
                     {stopFd, POLLIN, 0}};
    if (poll(fds, 2, timeout) < 0) {
      if (errno == EINTR) continue;
      return End::HangUp;
    }
    if (fds[1].revents) return End::Stop;
    if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
      uint8_t buffer[4096];
      const ssize_t n = read(fd, buffer, sizeof buffer);
      if (n == 0) return End::HangUp;
      if (n < 0 && errno != EAGAIN && errno != EINTR) return End::HangUp;
      if (n > 0) {
        m_in.insert(m_in.end(), buffer, buffer + n);
        handleInput();
      }
    }
    if ((fds[0].revents & POLLOUT) && m_written < m_batch.size()) {
      const ssize_t n = send(fd, m_batch.data() + m_written, m_batch.size() - m_written,
                             MSG_NOSIGNAL | MSG_DONTWAIT);
      if (n < 0 && errno != EAGAIN && errno != EINTR) return End::HangUp;
      if (n > 0) m_written += size_t(n);
    }
  }
}

}  // namespace scrivel::penemu
