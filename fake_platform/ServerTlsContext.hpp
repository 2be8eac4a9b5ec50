#pragma once

#include <boost/asio/buffer.hpp>
#include <boost/asio/ssl/context.hpp>

#include "fake_platform/TlsIdentity.hpp"

namespace zelvora::fake {

// The TLS settings a loopback server presents its identity with. Throws when the PEM text does
// not hold a usable certificate chain and key.
inline boost::asio::ssl::context serverTlsContext(const TlsIdentity& identity) {
  namespace ssl = boost::asio::ssl;
  ssl::context context(ssl::context::tls_server);
  context.use_certificate_chain(boost::asio::buffer(identity.certificateChainPem));
  context.use_private_key(boost::asio::buffer(identity.privateKeyPem), ssl::context::pem);
  return context;
}

}  // namespace zelvora::fake
