#include "tests/nibdl/penemusession.h"

#include <unistd.h>

#include <chrono>
#include <cstring>
#include <mutex>

#include "tests/nibdl/penconfigfile.h"

namespace nibdl::test {

using scrivel::test::AppPath;

bool EmulatorBuilt() {
  for (const char* name : {"penemu", "libNibUSB.so", "libNibSer.so"})
    if (access(AppPath(name).c_str(), F_OK) != 0) return false;
  return true;
}

PenemuSession::PenemuSession(const std::string& mode, const std::vector<std::string>& args) {
  const bool usb = mode == "usb";
  m_path = m_dir.file(usb ? "pen.sock" : "pen.tty");
  std::vector<std::string> all{mode, usb ? "--socket" : "--link", m_path};
  all.insert(all.end(), args.begin(), args.end());
  m_pen = std::make_unique<scrivel::test::ChildProcess>(AppPath("penemu"), all,
                                                        std::vector<std::string>{}, m_dir.path());
  m_ready = scrivel::test::WaitForPath(m_path, std::chrono::seconds(20));
  UsePenConfig(m_dir, usb ? "Port=-1\nUsbDevice=unix:" + m_path + "\n"
                          : "Port=3\nSerialDevice=" + m_path + "\n");
}

PenemuSession::~PenemuSession() { m_pen->stop(); }

std::string PenemuSession::output() const { return m_pen->stdoutText(); }

namespace {

std::mutex g_callsMutex;  // the callback runs on two threads

void Record(int kind, int percent, void* context) {
  std::lock_guard lock(g_callsMutex);
  static_cast<DownloadResult*>(context)->calls.emplace_back(kind, percent);
}

}  // namespace

DownloadResult DownloadPages() {
  DownloadResult result;
  result.code = DUVORequestData(&Record, &result);
  int count = 0;
  if (DUVOGetPageCount(&count) != DUVO_OK) return result;
  for (int index = 1; index <= count; ++index) {
    Page page;
    DUVOPAGE* points = nullptr;
    int n = 0;
    DUVOGetPage(index, &points, &n);
    if (points != nullptr) page.points.assign(points, points + n);
    DUVOFreePage(points);
    char text[22] = {};
    DUVOGetTimeStamp(index, text, &page.minutes);
    page.stamp = text;
    page.flipped = DUVOIsPageFlipped(index);
    page.uploaded = DUVOIsPageUploaded(index);
    result.pages.push_back(std::move(page));
  }
  return result;
}

std::vector<DUVOPAGE> ExpectedRecords(const std::vector<Sample>& samples) {
  std::vector<DUVOPAGE> records;
  bool down = false;
  for (const Sample& s : samples) {
    if (s.y < 0) {
      records.push_back({DUVO_EVT_PENUP, 0, 0});
      down = false;
    } else {
      records.push_back({static_cast<uint16_t>(down ? DUVO_EVT_PENMOV : DUVO_EVT_PENDOWN), s.x,
                         static_cast<int16_t>(s.y + 1150)});
      down = true;
    }
  }
  return records;
}

Bytes PacketsOf(const Bytes& image) {
  Bytes packets;
  const size_t count = (image.size() + 61) / 62;
  for (size_t p = 1; p <= count; ++p) {
    Bytes packet(64, 0);
    packet[0] = static_cast<uint8_t>(p >> 8);
    packet[1] = static_cast<uint8_t>(p);
    for (size_t i = 0; i < 62 && (p - 1) * 62 + i < image.size(); ++i) packet[2 + i] = image[(p - 1) * 62 + i];
    packets.insert(packets.end(), packet.begin(), packet.end());
  }
  return packets;
}

bool SameRecords(const std::vector<DUVOPAGE>& a, const std::vector<DUVOPAGE>& b) {
  return a.size() == b.size() && std::memcmp(a.data(), b.data(), a.size() * sizeof(DUVOPAGE)) == 0;
}

}  // namespace nibdl::test
