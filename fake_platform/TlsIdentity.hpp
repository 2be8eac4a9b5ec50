#pragma once

#include <string>

namespace zelvora::fake {

// A server certificate (with its chain, leaf first) and its key, both PEM.
struct TlsIdentity {
  std::string certificateChainPem;
  std::string privateKeyPem;
};

}  // namespace zelvora::fake
