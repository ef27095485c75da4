#pragma once
// Hands the route library's notifications to windows on their own thread.
//
// The route library calls a receiver's notify function from its own thread,
// and may do so until ZMTUninit, even after the window it names is gone. So a
// window never gives the library its own address: it registers here and
// passes the token it gets; Post (the notify function) looks the token up
// under a lock and posts a ZMTNotifyEvent to the window, and a window that
// unregisters (in its destructor) is never posted to again. The registry is
// never destroyed, so a late notification at process exit finds it too.

#include <QEvent>
#include <QObject>

#include <cstdint>

class CZMTNotifyRelay {
 public:
  // The event type of the notification (the window message's analog).
  static QEvent::Type ZMTNotifyEvent();

  // Registers `window`; the token goes into ReceiverInfo::window.
  static void* Register(QObject* window);
  // After this returns, Post never reaches the window of `token` again.
  static void Unregister(void* token);

  // The notify function for ReceiverInfo::post; safe from any thread.
  static void Post(void* token, uint32_t message);
};
