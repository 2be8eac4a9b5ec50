#pragma once

#include <string>

namespace zelvora::fake {

// A server certificate (with its chain, leaf first) and its key, both PEM.
struct TlsIdentity {
  std::string certificateChainPem;
  std::string privateKeyPem;
  // Offer h2 ahead of http/1.1 through ALPN, as a platform that serves both does. The server
  // itself speaks HTTP/1.1 only, so a client that takes h2 gets no answer.
  bool offersHttp2 = false;
};

}  // namespace zelvora::fake
