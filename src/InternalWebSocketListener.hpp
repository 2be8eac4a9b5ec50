#pragma once

#include <memory>

namespace zelvora::internal {

// What ZelvoraEventListener forwards to: the connection to the platform's event socket.
class InternalWebSocketListener {
 public:
  virtual ~InternalWebSocketListener() = default;

  // Replaces the socket with a new one and starts connecting; returns at once. Any thread.
  virtual void connect() = 0;
  // Closes the open socket, if any; returns at once. Any thread.
  virtual void disconnect() = 0;
};

// Makes ZelvoraEventListener::shared() forward to `listener` from now on and returns the one it
// forwarded to before; for tests.
std::shared_ptr<InternalWebSocketListener> exchangeInternalWebSocketListenerForTesting(
    std::shared_ptr<InternalWebSocketListener> listener);

}  // namespace zelvora::internal
