#pragma once

#include <chrono>
#include <functional>
#include <memory>

namespace zelvora::platform {

// The queue of the app's main thread, where every completion and delegate callback runs.
class MainQueue {
 public:
  using Task = std::function<void()>;

  virtual ~MainQueue() = default;

  // Runs the task later on the main thread, after every task posted before it; never inside the
  // call, also when called on the main thread. Safe from any thread.
  virtual void post(Task task) = 0;
  // Posts the task once the delay has passed.
  virtual void postAfter(std::chrono::milliseconds delay, Task task) = 0;
};

// The main queue of this process: the GLib default main context, which the app's GTK main loop (or
// any loop iterating that context) drains. One FIFO queue served by one GLib source, which runs a
// slice of it (a few milliseconds' worth at most) per dispatch and lets the context's other
// sources run between slices.
std::shared_ptr<MainQueue> mainQueue();

// Replaces the process's main queue; for tests. Pass nullptr to return to the GLib one.
void setMainQueueForTesting(std::shared_ptr<MainQueue> queue);

}  // namespace zelvora::platform
