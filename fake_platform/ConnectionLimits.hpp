#pragma once

#include <chrono>

namespace zelvora::fake {

// How long the server waits on a client before it gives the connection up, so that clients that
// connect and stay silent, or send a header a byte at a time, cannot hold descriptors for ever.
struct ConnectionLimits {
  // From the moment a connection may send a request (when it opens, or once the previous answer
  // has gone out) until that request's whole header has arrived; the TLS handshake counts too.
  // An idle keep-alive connection is closed when it runs out.
  std::chrono::milliseconds headerTimeout = std::chrono::seconds(10);
};

}  // namespace zelvora::fake
