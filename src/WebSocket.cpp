#include "WebSocket.hpp"

#include "Platform/HostOverrides.hpp"
#include "Platform/MainQueue.hpp"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/asio/steady_timer.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>

#include <charconv>
#include <mutex>
#include <thread>
#include <variant>

namespace zelvora::internal {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace ssl = asio::ssl;
using tcp = asio::ip::tcp;

using PlainStream = websocket::stream<beast::tcp_stream>;
using TlsStream = websocket::stream<beast::ssl_stream<beast::tcp_stream>>;

constexpr auto kOpeningTime = std::chrono::seconds(30);
// How long a close waits for the server's answering close frame before dropping the connection.
constexpr auto kClosingTime = std::chrono::seconds(1);

struct Address {
  bool secure = false;
  std::string host;
  std::string port;
  std::string authority;  // as written: the Host header
  std::string target;
};

std::optional<Address> parseAddress(const std::string& url) {
  Address address;
  std::string_view rest(url);
  if (rest.starts_with("wss://")) {
    address.secure = true;
    rest.remove_prefix(6);
  } else if (rest.starts_with("ws://")) {
    rest.remove_prefix(5);
  } else {
    return std::nullopt;
  }
  const std::size_t slash = rest.find('/');
  address.authority = std::string(rest.substr(0, slash));
  address.target = slash == std::string_view::npos ? "/" : std::string(rest.substr(slash));
  const std::size_t colon = address.authority.rfind(':');
  address.host = address.authority.substr(0, colon);
  address.port = colon == std::string::npos ? (address.secure ? "443" : "80")
                                            : address.authority.substr(colon + 1);
  unsigned port = 0;
  const char* end = address.port.data() + address.port.size();
  const auto [parsed, error] = std::from_chars(address.port.data(), end, port);
  if (address.host.empty() || error != std::errc() || parsed != end || port == 0 || port > 65535) {
    return std::nullopt;
  }
  return address;
}

// The SDK's websocket I/O thread, started on first use and never stopped: sockets may be closed
// from threads that outlive main().
asio::io_context& ioContext() {
  struct Runner {
    asio::io_context io;
    asio::executor_work_guard<asio::io_context::executor_type> work = asio::make_work_guard(io);
    std::thread thread{[this] {
      // A handler's exception must not end the thread that every socket depends on.
      for (;;) {
        try {
          io.run();
          return;
        } catch (...) {
        }
      }
    }};
  };
  static auto* const runner = new Runner;
  return runner->io;
}

struct CertificateAuthority {
  std::mutex mutex;
  std::optional<std::string> pemFile;
};

CertificateAuthority& testingAuthority() {
  static auto* const authority = new CertificateAuthority;
  return *authority;
}

std::unique_ptr<ssl::context> clientTlsContext() {
  auto context = std::make_unique<ssl::context>(ssl::context::tls_client);
  beast::error_code ignored;
  context->set_default_verify_paths(ignored);
  {
    auto& authority = testingAuthority();
    std::lock_guard lock(authority.mutex);
    if (authority.pemFile) {
      context->load_verify_file(*authority.pemFile, ignored);
    }
  }
  context->set_verify_mode(ssl::verify_peer);
  return context;
}

}  // namespace

// One connection's life, on the I/O thread: resolve, connect, TLS, upgrade, then read until the
// end. Every step that fails ends it, and the end is reported once.
class WebSocket::Session : public std::enable_shared_from_this<Session> {
 public:
  Session(std::string url, std::vector<std::string> protocols, WebSocketEvents events)
      : url_(std::move(url)),
        protocols_(std::move(protocols)),
        events_(std::move(events)),
        resolver_(ioContext()),
        closeTimer_(ioContext()) {}

  void start() {
    if (state_ != State::idle) {
      return;
    }
    state_ = State::opening;
    const auto address = parseAddress(url_);
    if (!address) {
      return end();
    }
    address_ = *address;
    makeStream();
    const auto overrides = platform::hostOverrides();
    const auto override = overrides.find(address_.host);
    if (override != overrides.end()) {
      beast::error_code ec;
      const auto ip = asio::ip::make_address(override->second, ec);
      if (!ec) {
        return connectTo(
            {tcp::endpoint(ip, static_cast<unsigned short>(std::stoi(address_.port)))});
      }
    }
    resolver_.async_resolve(
        address_.host, address_.port,
        [self = shared_from_this()](beast::error_code ec, tcp::resolver::results_type results) {
          if (ec || self->state_ != State::opening) {
            return self->end();
          }
          self->connectTo({results.begin(), results.end()});
        });
  }

  void stop() {
    switch (state_) {
      case State::idle:
        state_ = State::ended;
        return;
      case State::opening:
        // The step under way fails and ends the session.
        state_ = State::closing;
        resolver_.cancel();
        return dropConnection();
      case State::open:
        state_ = State::closing;
        return closeCleanly();
      case State::closing:
      case State::ended:
        return;
    }
  }

 private:
  enum class State { idle, opening, open, closing, ended };

  // Runs the step on the stream, once there is one.
  template <class Step>
  void withStream(Step step) {
    std::visit(
        [&](auto& stream) {
          if constexpr (!std::is_same_v<std::decay_t<decltype(stream)>, std::monostate>) {
            step(*stream);
          }
        },
        stream_);
  }

  void makeStream() {
    if (!address_.secure) {
      stream_ = std::make_unique<PlainStream>(ioContext());
      return;
    }
    tls_ = clientTlsContext();
    auto stream = std::make_unique<TlsStream>(ioContext(), *tls_);
    SSL* ssl = stream->next_layer().native_handle();
    // The name the server's certificate must carry, also sent for servers with several names.
    SSL_set_tlsext_host_name(ssl, address_.host.c_str());
    SSL_set1_host(ssl, address_.host.c_str());
    stream_ = std::move(stream);
  }

  void connectTo(std::vector<tcp::endpoint> endpoints) {
    withStream([&](auto& ws) {
      auto& tcpStream = beast::get_lowest_layer(ws);
      tcpStream.expires_after(kOpeningTime);
      tcpStream.async_connect(
          endpoints, [self = shared_from_this()](beast::error_code ec, const tcp::endpoint&) {
            if (ec || self->state_ != State::opening) {
              return self->end();
            }
            self->withStream([&](auto& connected) {
              beast::get_lowest_layer(connected).socket().set_option(tcp::no_delay(true), ec);
            });
            self->secure();
          });
    });
  }

  void secure() {
    if (auto* tlsStream = std::get_if<std::unique_ptr<TlsStream>>(&stream_)) {
      (*tlsStream)
          ->next_layer()
          .async_handshake(ssl::stream_base::client,
                           [self = shared_from_this()](beast::error_code ec) {
                             if (ec || self->state_ != State::opening) {
                               return self->end();
                             }
                             self->upgrade();
                           });
      return;
    }
    upgrade();
  }

  void upgrade() {
    withStream([&](auto& ws) {
      // From here the websocket keeps its own time limits.
      beast::get_lowest_layer(ws).expires_never();
      websocket::stream_base::timeout timeout{};
      timeout.handshake_timeout = kOpeningTime;
      timeout.idle_timeout = websocket::stream_base::none();
      timeout.keep_alive_pings = false;
      ws.set_option(timeout);
      ws.set_option(websocket::stream_base::decorator(
          [protocols = joinedProtocols()](websocket::request_type& request) {
            if (!protocols.empty()) {
              request.set(http::field::sec_websocket_protocol, protocols);
            }
          }));
      ws.read_message_max(maxMessageBytes);
      ws.async_handshake(address_.authority, address_.target,
                         [self = shared_from_this()](beast::error_code ec) {
                           if (ec || self->state_ != State::opening) {
                             return self->end();
                           }
                           self->state_ = State::open;
                           self->deliver(self->events_.didConnect);
                           self->read();
                         });
    });
  }

  std::string joinedProtocols() const {
    std::string joined;
    for (const auto& protocol : protocols_) {
      joined += (joined.empty() ? "" : ", ") + protocol;
    }
    return joined;
  }

  void read() {
    withStream([&](auto& ws) {
      ws.async_read(buffer_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
        if (ec) {
          return self->end();
        }
        self->received();
        self->read();
      });
    });
  }

  void received() {
    bool text = false;
    withStream([&](auto& ws) { text = ws.got_text(); });
    if (text && state_ == State::open && events_.didReceiveText) {
      platform::mainQueue()->post(
          [callback = events_.didReceiveText, frame = beast::buffers_to_string(buffer_.data())] {
            callback(frame);
          });
    }
    buffer_.consume(buffer_.size());
  }

  void closeCleanly() {
    withStream([&](auto& ws) {
      ws.async_close(websocket::close_code::normal, [](beast::error_code) {
        // The pending read sees the close through and ends the session.
      });
    });
    closeTimer_.expires_after(kClosingTime);
    closeTimer_.async_wait([self = shared_from_this()](beast::error_code ec) {
      if (!ec) {
        self->dropConnection();
      }
    });
  }

  void dropConnection() {
    withStream([](auto& ws) {
      beast::error_code ignored;
      auto& socket = beast::get_lowest_layer(ws).socket();
      socket.shutdown(tcp::socket::shutdown_both, ignored);
      socket.close(ignored);
    });
  }

  void end() {
    if (state_ == State::ended) {
      return;
    }
    state_ = State::ended;
    closeTimer_.cancel();
    dropConnection();
    deliver(events_.didDisconnect);
  }

  static void deliver(const std::function<void()>& callback) {
    if (callback) {
      platform::mainQueue()->post(callback);
    }
  }

  const std::string url_;
  const std::vector<std::string> protocols_;
  const WebSocketEvents events_;
  Address address_;
  tcp::resolver resolver_;
  asio::steady_timer closeTimer_;
  std::unique_ptr<ssl::context> tls_;  // before the stream that uses it
  std::variant<std::monostate, std::unique_ptr<PlainStream>, std::unique_ptr<TlsStream>> stream_;
  beast::flat_buffer buffer_;
  State state_ = State::idle;
};

WebSocket::WebSocket(std::string url, std::vector<std::string> protocols, WebSocketEvents events)
    : session_(std::make_shared<Session>(std::move(url), std::move(protocols), std::move(events))) {
}

WebSocket::~WebSocket() {
  disconnect();
}

void WebSocket::connect() {
  asio::post(ioContext(), [session = session_] { session->start(); });
}

void WebSocket::disconnect() {
  asio::post(ioContext(), [session = session_] { session->stop(); });
}

void setWebSocketCertificateAuthorityForTesting(std::optional<std::string> pemFile) {
  auto& authority = testingAuthority();
  std::lock_guard lock(authority.mutex);
  authority.pemFile = std::move(pemFile);
}

}  // namespace zelvora::internal
