#include <zelvora/ZelvoraEventListener.hpp>

#include "EventListener.hpp"

#include <mutex>

namespace zelvora {
namespace internal {
namespace {

struct ListenerSlot {
  std::mutex mutex;
  std::weak_ptr<ZelvoraEventDelegate> delegate;
  // Created with the slot, so that the listener follows the app's lifecycle from the first use of
  // ZelvoraEventListener on.
  std::shared_ptr<InternalWebSocketListener> listener = EventListener::create();
};

// Never destroyed: the app may connect from threads that outlive main().
ListenerSlot& listenerSlot() {
  static auto* const slot = new ListenerSlot;
  return *slot;
}

std::shared_ptr<InternalWebSocketListener> currentListener() {
  auto& slot = listenerSlot();
  std::lock_guard lock(slot.mutex);
  return slot.listener;
}

}  // namespace

void connectEventListenerAfterAuthentication() {
  currentListener()->connectAfterAuthentication();
}

std::shared_ptr<InternalWebSocketListener> exchangeInternalWebSocketListenerForTesting(
    std::shared_ptr<InternalWebSocketListener> listener) {
  auto& slot = listenerSlot();
  std::lock_guard lock(slot.mutex);
  slot.listener.swap(listener);
  return listener;
}

}  // namespace internal

ZelvoraEventListener& ZelvoraEventListener::shared() {
  static auto* const listener = new ZelvoraEventListener;
  return *listener;
}

void ZelvoraEventListener::setDelegate(std::weak_ptr<ZelvoraEventDelegate> delegate) {
  auto& slot = internal::listenerSlot();
  std::lock_guard lock(slot.mutex);
  slot.delegate = std::move(delegate);
}

std::shared_ptr<ZelvoraEventDelegate> ZelvoraEventListener::delegate() const {
  auto& slot = internal::listenerSlot();
  std::lock_guard lock(slot.mutex);
  return slot.delegate.lock();
}

// Both called outside the lock: the listener may take its time, and may be replaced meanwhile.
void ZelvoraEventListener::connect() {
  internal::currentListener()->connect();
}

void ZelvoraEventListener::disconnect() {
  internal::currentListener()->disconnect();
}

}  // namespace zelvora
