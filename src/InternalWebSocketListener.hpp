#pragma once

#include <memory>

namespace zelvora::internal {

// What ZelvoraEventListener forwards to: the connection to the platform's event socket.
class InternalWebSocketListener {
 public:
  virtual ~InternalWebSocketListener() = default;

  // Replaces the socket with a new one and starts connecting, once the reconnect backoff allows;
  // returns at once. Any thread.
  virtual void connect() = 0;
  // As connect(), with the backoff started afresh: a successful authentication is new reason to
  // expect the platform to answer. Any thread.
  virtual void connectAfterAuthentication() { connect(); }
  // Closes the open socket, if any; returns at once. Any thread.
  virtual void disconnect() = 0;
};

// Connects the process's listener after a successful authentication. Any thread.
void connectEventListenerAfterAuthentication();

// Makes ZelvoraEventListener::shared() forward to `listener` from now on and returns the one it
// forwarded to before; for tests.
std::shared_ptr<InternalWebSocketListener> exchangeInternalWebSocketListenerForTesting(
    std::shared_ptr<InternalWebSocketListener> listener);

}  // namespace zelvora::internal
