#include "scrivel/zmtnotifyrelay.h"

#include <QCoreApplication>

#include <mutex>
#include <unordered_map>

#include "nibroute/nibroute.h"

namespace {

struct Registry {
  std::mutex mutex;
  std::unordered_map<uintptr_t, QObject*> windows;
  uintptr_t nextToken = 1;
};

// Never destroyed: the library's thread may still post while statics go.
Registry& TheRegistry() {
  static Registry* registry = new Registry;
  return *registry;
}

}  // namespace

QEvent::Type CZMTNotifyRelay::ZMTNotifyEvent() {
  static const QEvent::Type type =
      QEvent::Type(QEvent::registerEventType(QEvent::User + int(WM_ZMTNOTIFY)));
  return type;
}

void* CZMTNotifyRelay::Register(QObject* window) {
  ZMTNotifyEvent();  // registered on the window's thread, before any post
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const uintptr_t token = registry.nextToken++;
  registry.windows.emplace(token, window);
  return reinterpret_cast<void*>(token);
}

void CZMTNotifyRelay::Unregister(void* token) {
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  registry.windows.erase(reinterpret_cast<uintptr_t>(token));
}

void CZMTNotifyRelay::Post(void* token, uint32_t message) {
  if (message != WM_ZMTNOTIFY) return;
  Registry& registry = TheRegistry();
  std::lock_guard lock(registry.mutex);
  const auto it = registry.windows.find(reinterpret_cast<uintptr_t>(token));
  // Posting under the lock: the window cannot be destroyed meanwhile, and Qt
  // drops events still queued for a window when it is destroyed.
  if (it != registry.windows.end())
    QCoreApplication::postEvent(it->second, new QEvent(ZMTNotifyEvent()));
}
