#include "scrivel/routereceiver.h"

#include "common/trace.h"

namespace scrivel {

bool OpenRouteReceiver(void* window, ZMTNotifyFunc post, int32_t& hRoute) {
  const int32_t result = ZMTInitEx(0x01011300, 0);
  if (result < 0) {
    Trace("Error ZMTInitEx() returned 0x%08x\n", static_cast<unsigned>(result));
    return false;
  }
  if (hRoute != -1) return true;
  ReceiverInfo info{};
  info.size = sizeof(ReceiverInfo);
  info.reserved = 0;
  info.window = window;
  info.message = WM_ZMTNOTIFY;
  info.post = post;
  if (ZMTOpenReceiver(&info, &hRoute) < 0) {
    hRoute = -1;
    return false;
  }
  ZMTSetProperty(hRoute, 1, 1);
  ZMTSetProperty(hRoute, 16, 1);
  return true;
}

}  // namespace scrivel
