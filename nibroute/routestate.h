#pragma once
// The route library's process-wide state: initialisation, the library's own
// properties, the receivers with their queues, and the live source.
//
// One mutex guards everything but the source's lifetime; a second mutex
// serialises connecting, disconnecting and uninitialising, which start and
// join the source thread. The source thread takes only the first, and every
// receiver's notify function is called with no lock held.

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "nibroute/nibroute.h"
#include "nibroute/propertystore.h"
#include "nibroute/receiver.h"
#include "nibroute/routesink.h"
#include "nibroute/routesource.h"

namespace nibroute {

class RouteState : public RouteSink {
 public:
  RouteState() = default;
  ~RouteState() override;

  int32_t Init(uint32_t version);
  void Uninit();

  int32_t OpenReceiver(const ReceiverInfo& info, int32_t* handle);
  int32_t SetProperty(int32_t handle, uint32_t property, uint32_t value);
  int32_t GetProperty(int32_t handle, uint32_t property, uint32_t* value);
  int32_t GetEvent(int32_t handle, ZMTEvent* event);
  int32_t Activate(int32_t handle, bool active);

  bool IsConnected();
  int32_t Connect();
  int32_t Disconnect();

  // Queues events as if a source had read them (the source path and tests).
  void SourceArrived() override;
  void Deliver(const ZMTEvent* events, size_t count) override;
  void SourceGone() override;

 private:
  struct Notice {
    ZMTNotifyFunc post;
    void* window;
    uint32_t message;
  };

  Receiver* FindLocked(int32_t handle);
  Receiver* PenEventTargetLocked();
  // Queues events by the delivery rules; collects the notifications due.
  void DeliverLocked(const ZMTEvent* events, size_t count, std::vector<Notice>& notices);
  void QueueLocked(Receiver& receiver, const ZMTEvent& event, std::vector<Notice>& notices);
  static void Post(const std::vector<Notice>& notices);
  // Stops the source (if any) outside the state lock; m_connectMutex is held.
  void StopSourceLocked();

  std::mutex m_mutex;  // everything below but m_source
  bool m_initialised = false;
  bool m_connected = false;
  PropertyStore m_globals;
  std::map<int32_t, std::unique_ptr<Receiver>> m_receivers;
  int32_t m_nextHandle = 1;
  uint64_t m_activationCounter = 0;

  std::mutex m_connectMutex;  // Connect, Disconnect, Uninit; guards m_source
  std::unique_ptr<RouteSource> m_source;
};

}  // namespace nibroute
