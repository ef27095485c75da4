#include "nibroute/routestate.h"

#include <string>

#include "common/penconfig.h"
#include "common/trace.h"

namespace nibroute {

namespace {

constexpr const char* kDefaultRouteSource = "evdev:auto";

bool IsBroadcast(uint16_t type) {
  return type == ZMT_EVT_RECEIVER_ARRIVED || type == ZMT_EVT_RECEIVER_GONE;
}

}  // namespace

RouteState::~RouteState() {
  std::lock_guard connectLock(m_connectMutex);
  StopSourceLocked();
}

int32_t RouteState::Init(uint32_t version) {
  if (version > ZMT_INTERFACE_VERSION) {
    scrivel::Trace("nibroute: interface version 0x%08x is newer than 0x%08x", version,
                   ZMT_INTERFACE_VERSION);
    return ZMT_E_BADVERSION;
  }
  std::lock_guard lock(m_mutex);
  m_initialised = true;
  return ZMT_OK;
}

void RouteState::Uninit() {
  if (RouteSource::OnSourceThread()) {
    scrivel::Trace("nibroute: ZMTUninit from a notification is ignored");
    return;
  }
  std::lock_guard connectLock(m_connectMutex);
  StopSourceLocked();
  std::lock_guard lock(m_mutex);
  m_initialised = false;
  m_connected = false;
  m_globals.Clear();
  m_receivers.clear();
  m_nextHandle = 1;
  m_activationCounter = 0;
}

int32_t RouteState::OpenReceiver(const ReceiverInfo& info, int32_t* handle) {
  std::lock_guard lock(m_mutex);
  if (!m_initialised) return ZMT_E_NOTINIT;
  if (m_nextHandle == INT32_MAX) return ZMT_E_FAILED;
  auto receiver = std::make_unique<Receiver>();
  receiver->handle = m_nextHandle++;
  receiver->info = info;
  *handle = receiver->handle;
  m_receivers.emplace(receiver->handle, std::move(receiver));
  return ZMT_OK;
}

Receiver* RouteState::FindLocked(int32_t handle) {
  const auto it = m_receivers.find(handle);
  return it == m_receivers.end() ? nullptr : it->second.get();
}

int32_t RouteState::SetProperty(int32_t handle, uint32_t property, uint32_t value) {
  std::lock_guard lock(m_mutex);
  if (!m_initialised) return ZMT_E_NOTINIT;
  if (handle == 0) {
    m_globals.Set(property, value);
    return ZMT_OK;
  }
  Receiver* receiver = FindLocked(handle);
  if (receiver == nullptr) return ZMT_E_BADHANDLE;
  receiver->properties.Set(property, value);
  return ZMT_OK;
}

int32_t RouteState::GetProperty(int32_t handle, uint32_t property, uint32_t* value) {
  std::lock_guard lock(m_mutex);
  if (!m_initialised) return ZMT_E_NOTINIT;
  if (handle == 0) {
    *value = m_globals.Get(property);
    return ZMT_OK;
  }
  Receiver* receiver = FindLocked(handle);
  if (receiver == nullptr) return ZMT_E_BADHANDLE;
  *value = receiver->properties.Get(property);
  return ZMT_OK;
}

int32_t RouteState::GetEvent(int32_t handle, ZMTEvent* event) {
  std::lock_guard lock(m_mutex);
  if (!m_initialised) return ZMT_E_NOTINIT;
  Receiver* receiver = FindLocked(handle);
  if (receiver == nullptr) return ZMT_E_BADHANDLE;
  return receiver->queue.Pop(event) ? ZMT_OK : ZMT_E_NOEVENT;
}

int32_t RouteState::Activate(int32_t handle, bool active) {
  std::lock_guard lock(m_mutex);
  if (!m_initialised) return ZMT_E_NOTINIT;
  Receiver* receiver = FindLocked(handle);
  if (receiver == nullptr) return ZMT_E_BADHANDLE;
  receiver->active = active;
  if (active) receiver->activation = ++m_activationCounter;
  return ZMT_OK;
}

bool RouteState::IsConnected() {
  std::lock_guard lock(m_mutex);
  return m_initialised && m_connected;
}

int32_t RouteState::Connect() {
  if (RouteSource::OnSourceThread()) return ZMT_E_WRONGTHREAD;
  std::lock_guard connectLock(m_connectMutex);
  {
    std::lock_guard lock(m_mutex);
    if (!m_initialised) return ZMT_E_NOTINIT;
    if (m_connected) return ZMT_OK;
  }
  // A source that hung up earlier still has its (ended) thread to join.
  StopSourceLocked();

  const std::string name = scrivel::ReadPenConfig().routeSource.value_or(kDefaultRouteSource);
  std::unique_ptr<RouteSource> source = MakeRouteSource(name);
  if (!source || !source->Open()) {
    scrivel::Trace("nibroute: route source \"%s\" is not available", name.c_str());
    return ZMT_E_NOSOURCE;
  }
  {
    std::lock_guard lock(m_mutex);
    m_connected = true;
  }
  // The source thread queues the arrival (event 18) before anything it reads.
  m_source = std::move(source);
  if (!m_source->Start(*this)) {
    StopSourceLocked();
    std::lock_guard lock(m_mutex);
    m_connected = false;
    return ZMT_E_FAILED;
  }
  return ZMT_OK;
}

int32_t RouteState::Disconnect() {
  if (RouteSource::OnSourceThread()) return ZMT_E_WRONGTHREAD;
  std::lock_guard connectLock(m_connectMutex);
  StopSourceLocked();
  std::lock_guard lock(m_mutex);
  if (!m_initialised) return ZMT_E_NOTINIT;
  m_connected = false;
  return ZMT_OK;
}

void RouteState::StopSourceLocked() {
  if (!m_source) return;
  m_source->Stop();  // joins the thread, which may be waiting for m_mutex
  m_source.reset();
}

Receiver* RouteState::PenEventTargetLocked() {
  Receiver* target = nullptr;
  for (auto& [handle, receiver] : m_receivers)
    if (receiver->active && (target == nullptr || receiver->activation > target->activation))
      target = receiver.get();
  if (target != nullptr) return target;
  // No active window: the newest receiver that asked for events.
  for (auto it = m_receivers.rbegin(); it != m_receivers.rend(); ++it)
    if (it->second->properties.Get(ZMT_PROP_RECEIVE_EVENTS) == 1) return it->second.get();
  return nullptr;
}

void RouteState::QueueLocked(Receiver& receiver, const ZMTEvent& event,
                             std::vector<Notice>& notices) {
  // Notify only when the queue turns non-empty: the receiver drains it to the end.
  if (receiver.queue.Push(event) && receiver.info.post != nullptr)
    notices.push_back({receiver.info.post, receiver.info.window, receiver.info.message});
}

void RouteState::Post(const std::vector<Notice>& notices) {
  for (const Notice& notice : notices) notice.post(notice.window, notice.message);
}

void RouteState::DeliverLocked(const ZMTEvent* events, size_t count,
                               std::vector<Notice>& notices) {
  for (size_t i = 0; i < count; ++i) {
    const ZMTEvent& event = events[i];
    if (IsBroadcast(event.type)) {
      for (auto& [handle, receiver] : m_receivers) QueueLocked(*receiver, event, notices);
    } else if (Receiver* target = PenEventTargetLocked()) {
      QueueLocked(*target, event, notices);
    }
  }
}

void RouteState::Deliver(const ZMTEvent* events, size_t count) {
  std::vector<Notice> notices;
  {
    std::lock_guard lock(m_mutex);
    if (!m_initialised) return;
    DeliverLocked(events, count, notices);
  }
  Post(notices);
}

void RouteState::SourceArrived() {
  const ZMTEvent arrived{ZMT_EVT_RECEIVER_ARRIVED, 0, 0};
  Deliver(&arrived, 1);
}

void RouteState::SourceGone() {
  // Disconnected and event 19 queued in one step: whoever sees
  // ZMTIsConnected() == 0 finds the event in the queue.
  std::vector<Notice> notices;
  {
    std::lock_guard lock(m_mutex);
    m_connected = false;
    if (!m_initialised) return;
    const ZMTEvent gone{ZMT_EVT_RECEIVER_GONE, 0, 0};
    DeliverLocked(&gone, 1, notices);
  }
  Post(notices);
}

}  // namespace nibroute
