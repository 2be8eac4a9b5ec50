#include "Platform/WorkQueue.hpp"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>
#include <vector>

namespace zelvora::platform {
namespace {

class Workers {
 public:
  explicit Workers(unsigned count) {
    for (unsigned i = 0; i < count; ++i) {
      threads_.emplace_back([this] { work(); });
    }
  }

  ~Workers() {
    {
      std::lock_guard lock(mutex_);
      stopping_ = true;
    }
    wake_.notify_all();
    for (auto& thread : threads_) {
      thread.join();
    }
  }

  void add(std::function<void()> task) {
    {
      std::lock_guard lock(mutex_);
      tasks_.push_back(std::move(task));
    }
    wake_.notify_one();
  }

 private:
  void work() {
    for (;;) {
      std::function<void()> task;
      {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [this] { return stopping_ || !tasks_.empty(); });
        if (stopping_) {
          return;
        }
        task = std::move(tasks_.front());
        tasks_.pop_front();
      }
      runGuarded(task);
    }
  }

  // A task that throws ends alone: the worker goes on serving the tasks queued behind it. Each
  // task reports its own failures; what reaches here has no one left to tell.
  static void runGuarded(const std::function<void()>& task) {
    try {
      task();
    } catch (...) {
    }
  }

  std::mutex mutex_;
  std::condition_variable wake_;
  std::deque<std::function<void()>> tasks_;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

}  // namespace

namespace {

Workers& workers() {
  static Workers instance(2);
  return instance;
}

}  // namespace

void runInBackground(std::function<void()> task) {
  workers().add(std::move(task));
}

void startBackgroundWorkers() {
  workers();
}

}  // namespace zelvora::platform
