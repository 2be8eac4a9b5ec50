#include "Platform/Application.hpp"
#include "Platform/MainQueue.hpp"
#include "Platform/Replaceable.hpp"

#include <zelvora/Application.hpp>
#include <zelvora/NotificationCenter.hpp>

#include <glib.h>
#include <unistd.h>

#include <map>
#include <memory>
#include <mutex>
#include <vector>

namespace zelvora {

namespace platform {

struct RunningBackgroundTasks::Impl {
  std::mutex mutex;
  BackgroundTaskId lastId = 0;
  std::map<BackgroundTaskId, std::shared_ptr<const std::function<void()>>> running;
};

RunningBackgroundTasks::RunningBackgroundTasks() : impl_(std::make_unique<Impl>()) {}

RunningBackgroundTasks::~RunningBackgroundTasks() = default;

BackgroundTaskId RunningBackgroundTasks::begin(std::function<void()> expiry) {
  std::lock_guard lock(impl_->mutex);
  const BackgroundTaskId id = ++impl_->lastId;
  impl_->running.emplace(id, std::make_shared<const std::function<void()>>(std::move(expiry)));
  return id;
}

void RunningBackgroundTasks::end(BackgroundTaskId id) {
  std::lock_guard lock(impl_->mutex);
  impl_->running.erase(id);
}

void RunningBackgroundTasks::expireAll() {
  // The handlers end their tasks, so they run outside the lock.
  std::vector<std::shared_ptr<const std::function<void()>>> handlers;
  {
    std::lock_guard lock(impl_->mutex);
    for (const auto& [id, handler] : impl_->running) {
      handlers.push_back(handler);
    }
  }
  for (const auto& handler : handlers) {
    if (*handler) {
      (*handler)();
    }
  }
}

namespace {
Replaceable<BackgroundTasks, RunningBackgroundTasks>& holder() {
  static auto* const instance = new Replaceable<BackgroundTasks, RunningBackgroundTasks>;
  return *instance;
}
}  // namespace

std::shared_ptr<BackgroundTasks> backgroundTasks() {
  return holder().get();
}

void setBackgroundTasksForTesting(std::shared_ptr<BackgroundTasks> tasks) {
  holder().replace(std::move(tasks));
}

}  // namespace platform

namespace {

// The SDK's main thread runs the GLib default context: it is the thread iterating the context now
// or, while none does, the process's first thread, where a GTK app runs its main loop. There the
// work runs before this returns, holding the context so that no other thread starts iterating it
// meanwhile; any other thread hands the work to the main queue.
void onMainThread(platform::MainQueue::Task work) {
  GMainContext* context = g_main_context_default();
  const bool mainThread = g_main_context_is_owner(context) || gettid() == getpid();
  if (mainThread && g_main_context_acquire(context)) {
    const std::unique_ptr<GMainContext, decltype(&g_main_context_release)> held(
        context, &g_main_context_release);
    work();
  } else {
    platform::mainQueue()->post(std::move(work));
  }
}

}  // namespace

void Application::didEnterBackground() {
  onMainThread([] { NotificationCenter::defaultCenter().post(didEnterBackgroundNotification); });
}

void Application::willEnterForeground() {
  onMainThread([] { NotificationCenter::defaultCenter().post(willEnterForegroundNotification); });
}

void Application::backgroundTimeWillExpire() {
  onMainThread([] { platform::backgroundTasks()->expireAll(); });
}

}  // namespace zelvora
