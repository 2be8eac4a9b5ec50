#pragma once

#include <chrono>

namespace zelvora::fake {

// How long the server waits on a client before it gives the connection up, so that clients that
// connect and stay silent, send a header a byte at a time, or announce a body they never send,
// cannot hold descriptors for ever. A whole request arrives within headerTimeout + bodyTimeout.
struct ConnectionLimits {
  // From the moment a connection may send a request (when it opens, or once the previous answer
  // has gone out) until that request's whole header has arrived; the TLS handshake counts too.
  // An idle keep-alive connection is closed when it runs out.
  std::chrono::milliseconds headerTimeout = std::chrono::seconds(10);
  // From the header's arrival until the whole body has arrived: ample for the largest body the
  // server takes (256 MiB) sent at an ordinary pace over loopback.
  std::chrono::milliseconds bodyTimeout = std::chrono::seconds(30);
};

}  // namespace zelvora::fake
