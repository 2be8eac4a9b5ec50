#include "support/MainLoop.hpp"

#include <glib.h>

namespace zelvora::test {

namespace {
constexpr guint tickMilliseconds = 2;
}

bool runMainLoopUntil(std::function<bool()> done, std::chrono::milliseconds deadline) {
  const auto end = std::chrono::steady_clock::now() + deadline;
  GMainContext* context = g_main_context_default();
  // A tick wakes the blocking iteration up, so that done() and the deadline are looked at often.
  GSource* tick = g_timeout_source_new(tickMilliseconds);
  g_source_set_callback(
      tick, [](gpointer) -> gboolean { return G_SOURCE_CONTINUE; }, nullptr, nullptr);
  g_source_attach(tick, context);
  bool finished = done();
  while (!finished && std::chrono::steady_clock::now() < end) {
    g_main_context_iteration(context, TRUE);
    finished = done();
  }
  g_source_destroy(tick);
  g_source_unref(tick);
  return finished;
}

void runMainLoopFor(std::chrono::milliseconds duration) {
  runMainLoopUntil([] { return false; }, duration);
}

}  // namespace zelvora::test
