#include "Platform/MainQueue.hpp"

#include <glib.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>

namespace zelvora::platform {

namespace {

// One queue, one GLib source attached to the default context for the life of the process. The
// source is ready whenever the queue holds a task; post() wakes the context up. Everything GLib's
// callbacks reach is found through instance() and guarded by mutex_, never handed over through
// GLib's own data pointers: that way each handover between threads is visible to the race detector.
class GLibMainQueue final : public MainQueue {
 public:
  // Never destroyed: tasks may be posted from threads that outlive main().
  static GLibMainQueue& instance() {
    static auto* const queue = new GLibMainQueue;
    return *queue;
  }

  void post(Task task) override {
    {
      std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
    }
    g_main_context_wakeup(context_);
  }

  void postAfter(std::chrono::milliseconds delay, Task task) override {
    std::uintptr_t id;
    {
      std::lock_guard lock(mutex_);
      id = ++lastDelayedId_;
      delayed_.emplace(id, std::move(task));
    }
    GSource* timer = g_timeout_source_new(
        static_cast<guint>(std::max<std::chrono::milliseconds::rep>(delay.count(), 0)));
    g_source_set_callback(
        timer,
        [](gpointer data) -> gboolean {
          instance().postDelayed(reinterpret_cast<std::uintptr_t>(data));
          return G_SOURCE_REMOVE;
        },
        reinterpret_cast<gpointer>(id), nullptr);
    g_source_attach(timer, context_);
    g_source_unref(timer);
  }

 private:
  GLibMainQueue() : context_(g_main_context_ref(g_main_context_default())) {
    GSource* source = g_source_new(&sourceFuncs, sizeof(GSource));
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_name(source, "zelvora main queue");
    g_source_attach(source, context_);
    g_source_unref(source);  // the context keeps it
  }

  bool hasTasks() {
    std::lock_guard lock(mutex_);
    return !tasks_.empty();
  }

  // A delayed task joins the queue when its time has come (so it runs after the tasks posted
  // before).
  void postDelayed(std::uintptr_t id) {
    std::lock_guard lock(mutex_);
    const auto entry = delayed_.find(id);
    if (entry == delayed_.end())
      return;
    tasks_.push_back(std::move(entry->second));
    delayed_.erase(entry);
  }

  // Runs the tasks queued when the dispatch began; those they post run in a later iteration, so
  // a task that keeps posting does not starve the context's other sources.
  void runQueuedTasks() {
    std::deque<Task> batch;
    {
      std::lock_guard lock(mutex_);
      batch.swap(tasks_);
    }
    for (auto& task : batch) {
      try {
        task();
      } catch (...) {
        // An exception must not unwind through GLib's C frames; the SDK reports nothing itself.
      }
    }
  }

  static gboolean prepare(GSource*, gint* timeout) {
    *timeout = -1;
    return instance().hasTasks();
  }
  static gboolean check(GSource*) { return instance().hasTasks(); }
  static gboolean dispatch(GSource*, GSourceFunc, gpointer) {
    instance().runQueuedTasks();
    return G_SOURCE_CONTINUE;
  }

  static inline GSourceFuncs sourceFuncs = {prepare, check, dispatch, nullptr, nullptr, nullptr};

  GMainContext* const context_;
  std::mutex mutex_;
  std::deque<Task> tasks_;
  std::uintptr_t lastDelayedId_ = 0;
  std::map<std::uintptr_t, Task> delayed_;
};

struct MainQueueHolder {
  std::mutex mutex;
  std::shared_ptr<MainQueue> override;
};

MainQueueHolder& holder() {
  static auto* const instance = new MainQueueHolder;
  return *instance;
}

std::shared_ptr<MainQueue> glibMainQueue() {
  // A shared pointer that does not own the never-destroyed queue.
  static auto* const queue =
      new std::shared_ptr<MainQueue>(std::shared_ptr<MainQueue>(), &GLibMainQueue::instance());
  return *queue;
}

}  // namespace

std::shared_ptr<MainQueue> mainQueue() {
  {
    std::lock_guard lock(holder().mutex);
    if (holder().override)
      return holder().override;
  }
  return glibMainQueue();
}

void setMainQueueForTesting(std::shared_ptr<MainQueue> queue) {
  std::lock_guard lock(holder().mutex);
  holder().override = std::move(queue);
}

}  // namespace zelvora::platform
