#pragma once

#include <boost/asio/ip/tcp.hpp>
#include <boost/beast/core/flat_buffer.hpp>

namespace zelvora::fake {

// The socket of a connection the HTTP server gave up after reading its request, with whatever it
// had read beyond that request.
struct HandedOverConnection {
  boost::asio::ip::tcp::socket socket;
  boost::beast::flat_buffer buffer;
};

}  // namespace zelvora::fake
