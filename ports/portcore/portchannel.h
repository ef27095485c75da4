#pragma once
// The open port of a port module: its device, a reader thread and the bytes
// received. The reader thread waits on the device and on a wake-up eventfd
// (so that Close stops it at once), appends what arrives and calls the event
// callback: PORT_EVENT_DATA after each arrival, PORT_EVENT_GONE once when the
// device hangs up, reaches end of file, fails or vanishes. Retrieve hands out
// the bytes and raises PORT_EVENT_DATA again when it leaves deliverable data
// behind, because the caller waits on an auto-reset event per signal.
//
// At most 1 MiB waits to be retrieved; beyond that the reader stops reading
// the device until the caller catches up, so nothing is lost.
//
// Thread-safe. Open, Close, Send and SetBaudRate are serialised; Retrieve
// never waits for them.

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "ports/portcore/portdevice.h"
#include "ports/portcore/receivebuffer.h"
#include "ports/portmodule.h"

namespace ports {

class PortChannel {
 public:
  // Opens the module's device for the parameters; stores the kind of pen in
  // *deviceType. Null when the device cannot be opened.
  using Opener =
      std::function<std::unique_ptr<PortDevice>(const PortOpenExParams&, uint32_t* deviceType)>;

  static constexpr size_t kMaxBuffered = 1 << 20;

  PortChannel();
  ~PortChannel();
  PortChannel(const PortChannel&) = delete;
  PortChannel& operator=(const PortChannel&) = delete;

  // PortOpenEx: checks the parameters, opens the device through `opener`,
  // starts the reader, writes dwDeviceType. Non-zero on success; 0 when the
  // parameters are wrong, the port is already open or the device fails.
  int OpenEx(PortOpenExParams* params, const Opener& opener);
  // PortClose: stops and joins the reader and closes the device. Harmless
  // when not open. Must not be called from the event callback.
  void Close();
  // PortRetrieveData: *length is the capacity on entry, the count delivered
  // on return. Never blocks.
  void Retrieve(uint8_t* buffer, uint32_t* length);
  // PortSendData: writes every byte; false when not open or the device failed.
  bool Send(const uint8_t* data, uint32_t length);
  // SetPortBaudRate on an open port.
  bool SetBaudRate(uint32_t baud);
  // InitPortCallBack: the callback that receives the events from now on.
  void SetCallback(PortEventCallback callback) { m_callback.store(callback); }

 private:
  void Run();
  void Raise(int event);
  void Wake();

  std::mutex m_lifecycle;  // Open, Close, Send, SetBaudRate; guards m_device, m_thread
  std::unique_ptr<PortDevice> m_device;
  std::thread m_thread;
  int m_wake = -1;  // eventfd, lives as long as the channel

  std::mutex m_mutex;  // the fields below
  bool m_open = false;
  bool m_stop = false;
  bool m_throttled = false;
  ReceiveBuffer m_buffer;

  std::atomic<PortEventCallback> m_callback{nullptr};
  std::atomic<bool> m_gone{false};
};

}  // namespace ports
