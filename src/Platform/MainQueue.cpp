#include "Platform/MainQueue.hpp"

#include <glib.h>

#include <algorithm>
#include <deque>
#include <map>
#include <mutex>
#include <utility>

namespace zelvora::platform {

namespace {

using Clock = std::chrono::steady_clock;

// Each dispatch runs a slice of the queue: at most this many tasks, and no further task once this
// time has passed, so that a long backlog does not freeze the app's window.
constexpr std::size_t kSliceTasks = 1000;
constexpr auto kSliceTime = std::chrono::milliseconds(5);

// One queue, served by one GLib source attached to the default context for the life of the
// process. The source is ready whenever the queue holds a task, and it also keeps the delayed
// tasks: each iteration moves those whose time has come to the end of the queue and tells the
// context how long it may sleep until the next one. A dispatch that leaves tasks behind makes the
// source sit out the next iteration, in which the context's sources of lower priority (GTK's
// redraw among them) get their turn. A posting thread touches only the queue, under mutex_, and
// wakes the context up; it never calls into GLib's sources itself.
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
    {
      std::lock_guard lock(mutex_);
      // Tasks due at the same time keep the order they were posted in.
      delayed_.emplace(Clock::now() + std::max(delay, std::chrono::milliseconds(0)),
                       std::move(task));
    }
    g_main_context_wakeup(context_);
  }

 private:
  GLibMainQueue() : context_(g_main_context_ref(g_main_context_default())) {
    GSource* source = g_source_new(&sourceFuncs, sizeof(GSource));
    g_source_set_priority(source, G_PRIORITY_DEFAULT);
    g_source_set_name(source, "zelvora main queue");
    g_source_attach(source, context_);
    g_source_unref(source);  // the context keeps it
  }

  // Whether a task is ready, and how long the context may sleep if not (-1: until woken up).
  bool prepare(gint* timeout) {
    std::lock_guard lock(mutex_);
    sittingOut_ = std::exchange(sitOutNext_, false);
    *timeout = 0;
    return !sittingOut_ && hasReadyTask(timeout);
  }

  bool check() {
    std::lock_guard lock(mutex_);
    return !sittingOut_ && hasReadyTask(nullptr);
  }

  // Moves the delayed tasks whose time has come to the queue. Under mutex_.
  bool hasReadyTask(gint* timeout) {
    const auto now = Clock::now();
    while (!delayed_.empty() && delayed_.begin()->first <= now) {
      tasks_.push_back(std::move(delayed_.begin()->second));
      delayed_.erase(delayed_.begin());
    }
    if (timeout) {
      *timeout = -1;
      if (tasks_.empty() && !delayed_.empty()) {
        const auto wait =
            std::chrono::ceil<std::chrono::milliseconds>(delayed_.begin()->first - now);
        *timeout =
            static_cast<gint>(std::min<std::chrono::milliseconds::rep>(wait.count(), G_MAXINT));
      }
    }
    return !tasks_.empty();
  }

  // Runs a slice of the tasks queued when the dispatch began, in their order; those they post
  // run in a later iteration, so a task that keeps posting does not starve the other sources.
  void runSlice() {
    const auto start = Clock::now();
    std::size_t queued = 0;
    {
      std::lock_guard lock(mutex_);
      queued = std::min(tasks_.size(), kSliceTasks);
    }
    for (std::size_t ran = 0; ran < queued && Clock::now() - start < kSliceTime; ++ran) {
      Task task;
      {
        std::lock_guard lock(mutex_);
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      try {
        task();
      } catch (...) {
        // An exception must not unwind through GLib's C frames; the SDK reports nothing itself.
      }
    }
    std::lock_guard lock(mutex_);
    sitOutNext_ = !tasks_.empty();
  }

  static gboolean prepareSource(GSource*, gint* timeout) { return instance().prepare(timeout); }
  static gboolean checkSource(GSource*) { return instance().check(); }
  static gboolean dispatchSource(GSource*, GSourceFunc, gpointer) {
    instance().runSlice();
    return G_SOURCE_CONTINUE;
  }

  static inline GSourceFuncs sourceFuncs = {prepareSource, checkSource, dispatchSource,
                                            nullptr,       nullptr,     nullptr};

  GMainContext* const context_;
  std::mutex mutex_;
  std::deque<Task> tasks_;
  std::multimap<Clock::time_point, Task> delayed_;
  bool sitOutNext_ = false;  // set by a dispatch that left tasks behind
  bool sittingOut_ = false;  // from that next prepare to its check
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
