#pragma once
// The link the pen protocol is written against: the port module's send and
// retrieve calls, the DataPending event, the disconnected flag, and sleeping.
// The library binds it to the loaded port module; tests bind it to a fake pen.

#include <cstdint>
#include <initializer_list>

namespace nibdl {

class PortLink {
 public:
  virtual ~PortLink() = default;

  // PortSendData.
  virtual void Send(const uint8_t* data, uint32_t length) = 0;
  // PortRetrieveData: at most `capacity` bytes received since the previous
  // call; 0 when none. Never blocks for long.
  uint32_t Retrieve(uint8_t* buffer, uint32_t capacity) {
    const uint32_t n = RetrieveData(buffer, capacity);
    return n < capacity ? n : capacity;
  }
  // Waits up to `timeoutMs` for DataPending; true when it was signalled (it
  // resets itself then).
  virtual bool WaitPending(uint32_t timeoutMs) = 0;
  // True once the port module reported the pen gone.
  virtual bool Disconnected() = 0;
  virtual void Sleep(uint32_t ms) = 0;

  void Send(std::initializer_list<uint8_t> bytes) {
    Send(bytes.begin(), static_cast<uint32_t>(bytes.size()));
  }

 protected:
  virtual uint32_t RetrieveData(uint8_t* buffer, uint32_t capacity) = 0;
};

}  // namespace nibdl
