#pragma once

#include <cstdint>
#include <functional>
#include <memory>

namespace zelvora::platform {

using BackgroundTaskId = std::uint64_t;

// Work the app lets the SDK finish after it went to the background, each piece with a handler
// that runs when the app's background time is over (Application::backgroundTimeWillExpire).
class BackgroundTasks {
 public:
  virtual ~BackgroundTasks() = default;

  // Starts a task; the expiry handler is expected to end it. Safe from any thread.
  virtual BackgroundTaskId begin(std::function<void()> expiry) = 0;
  // Ends a running task; an id that is not running does nothing. Safe from any thread.
  virtual void end(BackgroundTaskId id) = 0;
  // Runs the expiry handlers of the tasks running now, in the order they began, on the calling
  // thread.
  virtual void expireAll() = 0;
};

// Keeps the running tasks in memory; nothing outside the process waits for them.
class RunningBackgroundTasks final : public BackgroundTasks {
 public:
  RunningBackgroundTasks();
  ~RunningBackgroundTasks() override;

  BackgroundTaskId begin(std::function<void()> expiry) override;
  void end(BackgroundTaskId id) override;
  void expireAll() override;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// The process's background tasks (a RunningBackgroundTasks).
std::shared_ptr<BackgroundTasks> backgroundTasks();

// Replaces the process's background tasks; for tests. Pass nullptr to return to the real ones.
void setBackgroundTasksForTesting(std::shared_ptr<BackgroundTasks> tasks);

}  // namespace zelvora::platform
