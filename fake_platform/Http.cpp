#include "fake_platform/Http.hpp"

#include <array>
#include <atomic>
#include <optional>
#include <system_error>
#include <thread>

#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/ssl/stream.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/asio/write.hpp>
#include <boost/beast/core/flat_buffer.hpp>
#include <boost/beast/core/stream_traits.hpp>
#include <boost/beast/http.hpp>

#include "fake_platform/HandedOverConnection.hpp"
#include "fake_platform/ServerTlsContext.hpp"
#include "fake_platform/Text.hpp"

namespace zelvora::fake {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;
using TlsStream = asio::ssl::stream<tcp::socket>;

// Large enough for the multi-megabyte bodies the transport tests push through.
constexpr std::uint64_t kMaxBodyBytes = 256ull * 1024 * 1024;
// After a failed accept (out of descriptors, most likely) the listening socket stays readable:
// trying again at once would spin until a connection closes.
constexpr std::chrono::milliseconds kAcceptRetryPause{100};

std::string_view view(beast::string_view text) {
  return {text.data(), text.size()};
}

template <class Fields>
std::map<std::string, std::string> headersOf(const Fields& fields) {
  std::map<std::string, std::string> headers;
  for (const auto& field : fields) {
    auto [entry, inserted] =
        headers.try_emplace(lowerCase(view(field.name_string())), view(field.value()));
    if (!inserted) {
      entry->second.append(", ").append(view(field.value()));
    }
  }
  return headers;
}

bool forbidsBody(int status) {
  return status < 200 || status == 204 || status == 304;
}

void closeSocket(tcp::socket& socket) {
  beast::error_code ignored;
  socket.shutdown(tcp::socket::shutdown_both, ignored);
  socket.close(ignored);
}

// One client's connection, over a plain socket or a TLS stream.
template <class Stream>
class Connection : public std::enable_shared_from_this<Connection<Stream>> {
 public:
  using std::enable_shared_from_this<Connection<Stream>>::shared_from_this;

  template <class... StreamArgs>
  Connection(const RequestHandler& handler, ConnectionLimits limits, StreamArgs&&... streamArgs)
      : stream_(std::forward<StreamArgs>(streamArgs)...),
        timer_(stream_.get_executor()),
        requestDeadline_(stream_.get_executor()),
        handler_(handler),
        limits_(limits) {}

  void start() {
    armRequestDeadline(limits_.headerTimeout);
    if constexpr (std::is_same_v<Stream, TlsStream>) {
      stream_.async_handshake(asio::ssl::stream_base::server,
                              [self = shared_from_this()](beast::error_code ec) {
                                ec ? self->close() : self->readHeader();
                              });
    } else {
      readHeader();
    }
  }

 private:
  void readHeader() {
    parser_.emplace();
    parser_->body_limit(kMaxBodyBytes);
    http::async_read_header(stream_, buffer_, *parser_,
                            [self = shared_from_this()](beast::error_code ec, std::size_t) {
                              ec ? self->close() : self->onHeader();
                            });
  }

  // Closes the connection unless the request being read has arrived by then. One timer serves
  // the header's time and then the body's.
  void armRequestDeadline(std::chrono::milliseconds timeout) {
    requestDeadline_.expires_after(timeout);
    requestDeadline_.async_wait([self = shared_from_this()](beast::error_code ec) {
      // A wait that ran out just as its part of the request arrived finds the deadline moved on,
      // and that part is served.
      if (!ec && self->requestDeadline_.expiry() <= asio::steady_timer::clock_type::now()) {
        self->close();
      }
    });
  }

  void disarmRequestDeadline() {
    requestDeadline_.expires_at(asio::steady_timer::time_point::max());
  }

  // Clients that announce a large body wait for this interim answer before sending it.
  void onHeader() {
    armRequestDeadline(limits_.bodyTimeout);
    if (parser_->get()[http::field::expect] != "100-continue") {
      return readBody();
    }
    auto interim = std::make_shared<http::response<http::empty_body>>(http::status::continue_,
                                                                      parser_->get().version());
    http::async_write(stream_, *interim,
                      [self = shared_from_this(), interim](beast::error_code ec, std::size_t) {
                        ec ? self->close() : self->readBody();
                      });
  }

  void readBody() {
    http::async_read(stream_, buffer_, *parser_,
                     [self = shared_from_this()](beast::error_code ec, std::size_t) {
                       ec ? self->close() : self->onRequest();
                     });
  }

  void onRequest() {
    disarmRequestDeadline();
    auto request = parser_->release();
    keepAlive_ = request.keep_alive();
    version_ = request.version();
    reaction_ = handler_(HttpRequest{std::string(view(request.method_string())),
                                     std::string(view(request.target())), headersOf(request),
                                     std::move(request.body())});
    timer_.expires_after(reaction_.delay);
    timer_.async_wait(
        [self = shared_from_this()](beast::error_code ec) { ec ? self->close() : self->react(); });
  }

  void react() {
    switch (reaction_.kind) {
      case Reaction::Kind::dropConnection:
        return close();
      case Reaction::Kind::resetConnection:
        return reset();
      case Reaction::Kind::noReply:
        return awaitClientClose();
      case Reaction::Kind::reply:
        return reply();
      case Reaction::Kind::handOver:
        return handOver();
    }
  }

  // Another protocol's server takes a plain connection; over TLS the event websocket has a
  // listening server of its own.
  void handOver() {
    if constexpr (std::is_same_v<Stream, tcp::socket>) {
      reaction_.handOver(std::make_shared<HandedOverConnection>(
          HandedOverConnection{std::move(stream_), std::move(buffer_)}));
    } else {
      close();
    }
  }

  void reply() {
    const HttpResponse& planned = reaction_.response;
    if (planned.streamedBody) {
      return replyStreamed(*planned.streamedBody);
    }
    startMessage(response_);
    if (!forbidsBody(planned.status)) {
      response_.body() = planned.body;
    }
    response_.prepare_payload();
    addScriptedHeaders(response_);
    http::async_write(stream_, response_,
                      [self = shared_from_this()](beast::error_code ec, std::size_t) {
                        ec ? self->close() : self->awaitNextRequest();
                      });
  }

  // The header announces the whole length; the body follows piece by piece.
  void replyStreamed(const StreamedBody& body) {
    startMessage(streamedHeader_);
    streamedHeader_.content_length(body.size());
    addScriptedHeaders(streamedHeader_);
    headerSerializer_.emplace(streamedHeader_);
    http::async_write_header(stream_, *headerSerializer_,
                             [self = shared_from_this(), &body](beast::error_code ec, std::size_t) {
                               if (ec) {
                                 return self->close();
                               }
                               asio::async_write(self->stream_, asio::buffer(body.head),
                                                 [self](beast::error_code written, std::size_t) {
                                                   written ? self->close() : self->writeChunks(0);
                                                 });
                             });
  }

  void writeChunks(std::size_t written) {
    const StreamedBody& body = *reaction_.response.streamedBody;
    if (written == body.repeat) {
      return awaitNextRequest();
    }
    timer_.expires_after(body.pause);
    timer_.async_wait([self = shared_from_this(), &body, written](beast::error_code ec) {
      if (ec) {
        return self->close();
      }
      asio::async_write(self->stream_, asio::buffer(body.chunk),
                        [self, written](beast::error_code failed, std::size_t) {
                          failed ? self->close() : self->writeChunks(written + 1);
                        });
    });
  }

  template <class Body>
  void startMessage(http::response<Body>& message) const {
    message = {};
    message.version(version_);
    message.result(static_cast<unsigned>(reaction_.response.status));
    message.keep_alive(keepAlive_);
    message.set(http::field::content_type, "application/json");
  }

  template <class Body>
  void addScriptedHeaders(http::response<Body>& message) const {
    for (const auto& [name, value] : reaction_.response.headers) {
      message.set(name, value);
    }
  }

  void awaitNextRequest() {
    if (!keepAlive_) {
      return close();
    }
    armRequestDeadline(limits_.headerTimeout);
    readHeader();
  }

  // An unanswered connection lives until the client gives up or the server stops.
  void awaitClientClose() {
    stream_.async_read_some(asio::buffer(discard_),
                            [self = shared_from_this()](beast::error_code ec, std::size_t) {
                              ec ? self->close() : self->awaitClientClose();
                            });
  }

  void close() { closeSocket(beast::get_lowest_layer(stream_)); }

  // Closing with a zero linger time sends a reset in place of the orderly end.
  void reset() {
    auto& socket = beast::get_lowest_layer(stream_);
    beast::error_code ignored;
    socket.set_option(asio::socket_base::linger(true, 0), ignored);
    socket.close(ignored);
  }

  Stream stream_;
  asio::steady_timer timer_;
  asio::steady_timer requestDeadline_;
  const RequestHandler& handler_;
  const ConnectionLimits limits_;
  beast::flat_buffer buffer_;
  std::optional<http::request_parser<http::string_body>> parser_;
  http::response<http::string_body> response_;
  http::response<http::empty_body> streamedHeader_;
  std::optional<http::response_serializer<http::empty_body>> headerSerializer_;
  Reaction reaction_;
  bool keepAlive_ = true;
  unsigned version_ = 11;
  std::array<char, 512> discard_{};
};

tcp::acceptor listeningOn(asio::io_context& io, std::uint16_t port) {
  const tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
  tcp::acceptor acceptor(io);
  beast::error_code ec;
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) {
    acceptor.set_option(tcp::acceptor::reuse_address(true), ec);
  }
  if (!ec) {
    acceptor.bind(endpoint, ec);
  }
  if (!ec) {
    acceptor.listen(asio::socket_base::max_listen_connections, ec);
  }
  if (ec) {
    // Asio reports the system's own error numbers.
    throw std::system_error(ec.value(), std::system_category(),
                            "cannot listen on 127.0.0.1:" + std::to_string(port));
  }
  return acceptor;
}

}  // namespace

struct HttpServer::Impl {
  Impl(std::uint16_t port, RequestHandler requestHandler,
       const std::optional<TlsIdentity>& identity, ConnectionLimits connectionLimits)
      : handler(std::move(requestHandler)),
        limits(connectionLimits),
        acceptor(listeningOn(io, port)),
        boundPort(acceptor.local_endpoint().port()) {
    if (identity) {
      tls.emplace(serverTlsContext(*identity));
    }
    accept();
    thread = std::thread([this] { io.run(); });
  }

  ~Impl() {
    io.stop();
    thread.join();
  }

  void accept() {
    acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted) {
        return;
      }
      if (ec) {
        // A failed accept (say, out of descriptors for a while) must not end the accepting.
        return acceptAfterPause();
      }
      ++accepted;
      socket.set_option(tcp::no_delay(true), ec);
      serve(std::move(socket));
      accept();
    });
  }

  void acceptAfterPause() {
    acceptRetry.expires_after(kAcceptRetryPause);
    acceptRetry.async_wait([this](beast::error_code ec) {
      if (!ec) {
        accept();
      }
    });
  }

  void serve(tcp::socket socket) {
    if (tls) {
      std::make_shared<Connection<TlsStream>>(handler, limits, std::move(socket), *tls)->start();
    } else {
      std::make_shared<Connection<tcp::socket>>(handler, limits, std::move(socket))->start();
    }
  }

  // Outlive the context, whose destruction releases the connections that still refer to them.
  RequestHandler handler;
  const ConnectionLimits limits;
  std::optional<asio::ssl::context> tls;
  asio::io_context io;
  tcp::acceptor acceptor;
  asio::steady_timer acceptRetry{io};
  const std::uint16_t boundPort;
  std::atomic<std::size_t> accepted{0};
  std::thread thread;
};

HttpServer::HttpServer(std::uint16_t port, RequestHandler handler,
                       const std::optional<TlsIdentity>& tls, ConnectionLimits limits)
    : impl_(std::make_unique<Impl>(port, std::move(handler), tls, limits)) {}

HttpServer::~HttpServer() = default;

std::uint16_t HttpServer::port() const {
  return impl_->boundPort;
}

std::size_t HttpServer::connectionsAccepted() const {
  return impl_->accepted;
}

struct HttpClient::Impl {
  explicit Impl(std::uint16_t serverPort) : port(serverPort), socket(io) {
    socket.connect(tcp::endpoint(asio::ip::address_v4::loopback(), port));
    socket.set_option(tcp::no_delay(true));
  }

  http::request<http::string_body> beastRequest(const HttpRequest& request) const {
    http::request<http::string_body> message;
    message.method_string(request.method);
    message.target(request.target);
    message.version(11);
    message.set(http::field::host, "platform.test:" + std::to_string(port));
    message.body() = request.body;
    message.prepare_payload();
    for (const auto& [name, value] : request.headers) {
      message.set(name, value);
    }
    return message;
  }

  // Runs one asynchronous step to its end; nothing when the timeout passed first, in which case
  // the connection is given up.
  template <class Step>
  std::optional<beast::error_code> runStep(Step step, std::chrono::milliseconds timeout) {
    std::optional<beast::error_code> result;
    step([&result](beast::error_code ec, std::size_t) { result = ec; });
    io.restart();
    io.run_for(timeout);
    if (!result) {
      // Closing aborts the pending operation; running once more lets its handler finish.
      closeSocket(socket);
      io.restart();
      io.run();
      return std::nullopt;
    }
    return result;
  }

  Exchange send(const HttpRequest& request, std::chrono::milliseconds timeout) {
    if (!open) {
      return {Exchange::Outcome::connectionClosed, {}};
    }
    auto message = beastRequest(request);
    http::response_parser<http::string_body> parser;
    parser.body_limit(kMaxBodyBytes);
    std::optional<beast::error_code> result =
        runStep([&](auto done) { http::async_write(socket, message, done); }, timeout);
    if (result && !*result) {
      result = runStep([&](auto done) { http::async_read(socket, buffer, parser, done); }, timeout);
    }
    if (!result || *result) {
      open = false;
      return {result ? Exchange::Outcome::connectionClosed : Exchange::Outcome::timedOut, {}};
    }
    auto response = parser.release();
    open = response.keep_alive();
    return {Exchange::Outcome::replied,
            HttpResponse{static_cast<int>(response.result_int()), headersOf(response),
                         std::move(response.body())}};
  }

  std::uint16_t port;
  asio::io_context io;
  tcp::socket socket;
  beast::flat_buffer buffer;
  bool open = true;
};

HttpClient::HttpClient(std::uint16_t port) : impl_(std::make_unique<Impl>(port)) {}

HttpClient::~HttpClient() = default;

Exchange HttpClient::send(const HttpRequest& request, std::chrono::milliseconds timeout) {
  return impl_->send(request, timeout);
}

}  // namespace zelvora::fake
