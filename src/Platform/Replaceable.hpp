#pragma once

#include <memory>
#include <mutex>

namespace zelvora::platform {

// The process's one implementation of a platform interface: `Default`, made on first use, unless a
// test has put another in its place. Safe from any thread. Meant to be held by a never-destroyed
// static, so that it outlives every thread that may still ask for it at exit.
template <class Interface, class Default>
class Replaceable {
 public:
  std::shared_ptr<Interface> get() {
    std::lock_guard lock(mutex_);
    if (!current_) {
      current_ = std::make_shared<Default>();
    }
    return current_;
  }

  // Null brings the default back on the next use.
  void replace(std::shared_ptr<Interface> implementation) {
    std::lock_guard lock(mutex_);
    current_ = std::move(implementation);
  }

 private:
  std::mutex mutex_;
  std::shared_ptr<Interface> current_;
};

}  // namespace zelvora::platform
