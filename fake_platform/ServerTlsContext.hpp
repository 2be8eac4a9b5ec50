#pragma once

#include <openssl/ssl.h>
#include <boost/asio/buffer.hpp>
#include <boost/asio/ssl/context.hpp>

#include "fake_platform/TlsIdentity.hpp"

namespace zelvora::fake {

// Takes the first of h2 and http/1.1 that the client offers; a client that offers neither gets
// no protocol named, as from a server without ALPN.
inline int selectOfferedProtocol(SSL*, const unsigned char** chosen, unsigned char* chosenLength,
                                 const unsigned char* clientOffers, unsigned int clientLength,
                                 void*) {
  static constexpr unsigned char kServerOffers[] = "\x02h2\x08http/1.1";
  unsigned char* match = nullptr;
  if (SSL_select_next_proto(&match, chosenLength, kServerOffers, sizeof kServerOffers - 1,
                            clientOffers, clientLength) != OPENSSL_NPN_NEGOTIATED) {
    return SSL_TLSEXT_ERR_NOACK;
  }
  *chosen = match;
  return SSL_TLSEXT_ERR_OK;
}

// The TLS settings a loopback server presents its identity with. Throws when the PEM text does
// not hold a usable certificate chain and key.
inline boost::asio::ssl::context serverTlsContext(const TlsIdentity& identity) {
  namespace ssl = boost::asio::ssl;
  ssl::context context(ssl::context::tls_server);
  context.use_certificate_chain(boost::asio::buffer(identity.certificateChainPem));
  context.use_private_key(boost::asio::buffer(identity.privateKeyPem), ssl::context::pem);
  if (identity.offersHttp2) {
    SSL_CTX_set_alpn_select_cb(context.native_handle(), &selectOfferedProtocol, nullptr);
  }
  return context;
}

}  // namespace zelvora::fake
