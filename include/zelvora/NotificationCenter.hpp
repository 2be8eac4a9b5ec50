#pragma once

#include <zelvora/Export.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace zelvora {

// Named notifications within the process. The SDK posts "vardeloWebsocketConnected" and
// "vardeloWebsocketDisconnected" on the default center (see ZelvoraEventListener), and observes
// the app's lifecycle there (see Application).
class ZELVORA_EXPORT NotificationCenter {
 public:
  using Observer = std::function<void()>;
  using Token = std::uint64_t;

  // The process's center, created on first use and never destroyed.
  static NotificationCenter& defaultCenter();

  NotificationCenter();
  ~NotificationCenter();
  NotificationCenter(const NotificationCenter&) = delete;
  NotificationCenter& operator=(const NotificationCenter&) = delete;

  // Calls the observer on every later post of the name, until removed. Returns the token that
  // removes it. Safe from any thread.
  Token addObserver(std::string name, Observer observer);
  // The observer is not called by posts that start after this returns; an unknown token does
  // nothing. Safe from any thread, also from inside an observer.
  void removeObserver(Token token);
  // Calls the name's observers synchronously, on the calling thread, in the order they were added.
  // An observer that throws does not keep the others from being called; the exception is dropped.
  void post(std::string_view name);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zelvora
