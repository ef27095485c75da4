#include "sounddevice.h"

#include <pulse/context.h>
#include <pulse/introspect.h>
#include <pulse/mainloop.h>

#include <chrono>
#include <memory>

namespace scrivel {
namespace {

struct MainloopDeleter {
  void operator()(pa_mainloop* loop) const { pa_mainloop_free(loop); }
};
struct ContextDeleter {
  void operator()(pa_context* context) const {
    pa_context_disconnect(context);
    pa_context_unref(context);
  }
};
struct OperationDeleter {
  void operator()(pa_operation* operation) const { pa_operation_unref(operation); }
};

struct ServerInfoQuery {
  bool done = false;
  QByteArray defaultSource;
};

void OnServerInfo(pa_context*, const pa_server_info* info, void* user) {
  auto* query = static_cast<ServerInfoQuery*>(user);
  if (info != nullptr && info->default_source_name != nullptr)
    query->defaultSource = info->default_source_name;
  query->done = true;
}

}  // namespace

QByteArray ServerDefaultSource(int timeoutMs) {
  std::unique_ptr<pa_mainloop, MainloopDeleter> loop(pa_mainloop_new());
  if (!loop) return {};
  std::unique_ptr<pa_context, ContextDeleter> context(
      pa_context_new(pa_mainloop_get_api(loop.get()), "Scrivel"));
  if (!context) return {};
  if (pa_context_connect(context.get(), nullptr, PA_CONTEXT_NOAUTOSPAWN, nullptr) < 0) return {};

  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  // One turn of the loop, waiting at most 10 ms for the server; false past the deadline.
  auto turn = [&] {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    if (pa_mainloop_prepare(loop.get(), 10000) < 0) return false;
    if (pa_mainloop_poll(loop.get()) < 0) return false;
    return pa_mainloop_dispatch(loop.get()) >= 0;
  };

  for (;;) {
    const pa_context_state_t state = pa_context_get_state(context.get());
    if (state == PA_CONTEXT_READY) break;
    if (!PA_CONTEXT_IS_GOOD(state) || !turn()) return {};
  }
  ServerInfoQuery query;
  std::unique_ptr<pa_operation, OperationDeleter> operation(
      pa_context_get_server_info(context.get(), OnServerInfo, &query));
  if (!operation) return {};
  while (!query.done) {
    if (!turn()) return {};
  }
  return query.defaultSource;
}

QAudioDevice ChooseSoundInput(const QList<QAudioDevice>& inputs, const QByteArray& serverDefault,
                              const QAudioDevice& qtDefault) {
  if (inputs.isEmpty()) return {};
  if (!serverDefault.isEmpty()) {
    for (const QAudioDevice& device : inputs)
      if (device.id() == serverDefault) return device;
  }
  if (!qtDefault.isNull() && inputs.contains(qtDefault)) return qtDefault;
  return inputs.front();
}

}  // namespace scrivel
