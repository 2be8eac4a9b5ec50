#include "WebSocket.hpp"

#include "Platform/HostOverrides.hpp"
#include "Platform/MainQueue.hpp"

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>

#include <algorithm>
#include <atomic>
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
// How long a close of ours waits for the server's answering close frame before dropping the
// connection.
constexpr auto kClosingTime = std::chrono::seconds(1);
// An open connection that receives nothing for this long, not even the answer to the ping it
// sends halfway, is dropped. A closing handshake that the server, or a protocol error in what it
// sent, starts and that it then leaves unfinished ends within half of this.
constexpr auto kIdleLimit = std::chrono::seconds(10);

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

struct TestingSettings {
  std::mutex mutex;
  std::optional<std::string> pemFile;
  std::optional<std::chrono::milliseconds> idleLimit;
};

TestingSettings& testingSettings() {
  static auto* const settings = new TestingSettings;
  return *settings;
}

std::chrono::milliseconds idleLimit() {
  auto& settings = testingSettings();
  std::lock_guard lock(settings.mutex);
  return settings.idleLimit.value_or(kIdleLimit);
}

// Frames waiting for the main thread over every socket, for tests; written on the I/O thread.
struct Backlog {
  std::atomic<std::size_t> frames{0};
  std::atomic<std::size_t> peakFrames{0};
};

Backlog& backlog() {
  static auto* const instance = new Backlog;
  return *instance;
}

std::string_view view(beast::string_view text) {
  return {text.data(), text.size()};
}

bool isBlank(std::string_view text) {
  return text.find_first_not_of(" \t") == std::string_view::npos;
}

std::unique_ptr<ssl::context> clientTlsContext() {
  auto context = std::make_unique<ssl::context>(ssl::context::tls_client);
  beast::error_code ignored;
  context->set_default_verify_paths(ignored);
  {
    auto& settings = testingSettings();
    std::lock_guard lock(settings.mutex);
    if (settings.pemFile) {
      context->load_verify_file(*settings.pemFile, ignored);
    }
  }
  context->set_verify_mode(ssl::verify_peer);
  return context;
}

}  // namespace

// One connection's life, on the I/O thread: resolve, connect, TLS, upgrade, then read until the
// end. Every step that fails ends it, and the end is reported once. A frame read waits for the main
// thread to take it; while maxFramesWaiting frames or maxBytesWaiting bytes wait, nothing more is
// read, and TCP holds the rest.
class WebSocket::Session : public std::enable_shared_from_this<Session> {
 public:
  Session(std::string url, std::vector<std::string> protocols, WebSocketEvents events)
      : url_(std::move(url)),
        protocols_(std::move(protocols)),
        events_(std::move(events)),
        resolver_(ioContext()) {}

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

  // How long after the opening the platform was last heard.
  std::chrono::milliseconds heardFor() const { return heardFor_; }

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
        // A closing handshake that is already under way, or a stream that failed, ends here.
        return isOpen() ? closeCleanly() : end();
      case State::closing:
      case State::ended:
        return;
    }
  }

 private:
  enum class State { idle, opening, open, closing, ended };
  using Clock = std::chrono::steady_clock;

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
      ws.set_option(timeouts(kOpeningTime));
      ws.set_option(websocket::stream_base::decorator(
          [protocols = joinedProtocols()](websocket::request_type& request) {
            if (!protocols.empty()) {
              request.set(http::field::sec_websocket_protocol, protocols);
            }
          }));
      ws.read_message_max(maxMessageBytes);
      ws.async_handshake(response_, address_.authority, address_.target,
                         [self = shared_from_this()](beast::error_code ec) {
                           if (ec || self->state_ != State::opening || !self->agreedToOffer()) {
                             return self->end();
                           }
                           self->opened();
                         });
    });
  }

  void opened() {
    state_ = State::open;
    openedAt_ = Clock::now();
    withStream([&](auto& ws) {
      // The handshake's limit now bounds the closing handshake.
      ws.set_option(timeouts(kClosingTime));
      // Pings, pongs and closes are the platform's word too.
      ws.control_callback([this](websocket::frame_type, beast::string_view) { heard(); });
    });
    deliver(events_.didConnect);
    readWhileRoom();
  }

  // The handshake's limit, and the idle limit with its keep-alive ping unless `idle` is false.
  websocket::stream_base::timeout timeouts(std::chrono::seconds handshakeLimit,
                                           bool idle = true) const {
    websocket::stream_base::timeout timeout{};
    timeout.handshake_timeout = handshakeLimit;
    timeout.idle_timeout =
        idle ? websocket::stream_base::duration(idleLimit_) : websocket::stream_base::none();
    timeout.keep_alive_pings = idle;
    return timeout;
  }

  // Whether the server's reply takes up nothing the client did not offer: at most one protocol,
  // one of those offered, and no extension, since the client offers none.
  bool agreedToOffer() const {
    if (response_.count(http::field::sec_websocket_protocol) > 1) {
      return false;
    }
    const auto protocol = response_.find(http::field::sec_websocket_protocol);
    if (protocol != response_.end() && std::find(protocols_.begin(), protocols_.end(),
                                                 view(protocol->value())) == protocols_.end()) {
      return false;
    }
    const auto [first, last] = response_.equal_range(http::field::sec_websocket_extensions);
    return std::all_of(first, last, [](const auto& field) { return isBlank(view(field.value())); });
  }

  std::string joinedProtocols() const {
    std::string joined;
    for (const auto& protocol : protocols_) {
      joined += (joined.empty() ? "" : ", ") + protocol;
    }
    return joined;
  }

  bool isOpen() {
    bool open = false;
    withStream([&](auto& ws) { open = ws.is_open(); });
    return open;
  }

  void readWhileRoom() {
    if (reading_ || state_ != State::open) {
      return;
    }
    if (framesWaiting_ >= maxFramesWaiting || bytesWaiting_ >= maxBytesWaiting) {
      return pauseIdleLimit();
    }
    reading_ = true;
    withStream([&](auto& ws) {
      if (std::exchange(idleLimitPaused_, false)) {
        // Starting the read below starts the idle count afresh.
        ws.set_option(timeouts(kClosingTime));
      }
      ws.async_read(buffer_, [self = shared_from_this()](beast::error_code ec, std::size_t) {
        self->reading_ = false;
        if (ec) {
          return self->end();
        }
        self->received();
        self->readWhileRoom();
      });
    });
  }

  // Only a read hears the platform, pongs included: with reading paused for room, the silence is
  // ours, and the idle limit waits until reading resumes. Beast's idle timer, already running,
  // finds the limit gone when it fires and stops; the closing handshake keeps its own limit.
  void pauseIdleLimit() {
    if (!std::exchange(idleLimitPaused_, true)) {
      withStream([&](auto& ws) { ws.set_option(timeouts(kClosingTime, false)); });
    }
  }

  void heard() {
    heardFor_ = std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - openedAt_);
  }

  void received() {
    heard();
    bool text = false;
    withStream([&](auto& ws) { text = ws.got_text(); });
    if (text && state_ == State::open && events_.didReceiveText) {
      handOver(beast::buffers_to_string(buffer_.data()));
    }
    buffer_.consume(buffer_.size());
  }

  // Posts the frame to the main thread, which gives its room back as it takes it.
  void handOver(std::string frame) {
    const std::size_t bytes = frame.size();
    ++framesWaiting_;
    bytesWaiting_ += bytes;
    auto& waiting = backlog();
    const std::size_t frames = ++waiting.frames;
    std::size_t peak = waiting.peakFrames;
    while (peak < frames && !waiting.peakFrames.compare_exchange_weak(peak, frames)) {
    }
    platform::mainQueue()->post(
        [self = shared_from_this(), frame = std::move(frame), bytes]() mutable {
          self->takeOnMainThread(std::move(frame), bytes);
        });
  }

  void takeOnMainThread(std::string frame, std::size_t bytes);

  void taken(std::size_t bytes) {
    --framesWaiting_;
    bytesWaiting_ -= bytes;
    --backlog().frames;
    readWhileRoom();
  }

  void closeCleanly() {
    withStream([&](auto& ws) {
      // The stream's handshake limit bounds the wait for the server's answering close frame.
      ws.async_close(websocket::close_code::normal,
                     [self = shared_from_this()](beast::error_code) { self->end(); });
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
  const std::chrono::milliseconds idleLimit_ = idleLimit();
  tcp::resolver resolver_;
  std::unique_ptr<ssl::context> tls_;  // before the stream that uses it
  std::variant<std::monostate, std::unique_ptr<PlainStream>, std::unique_ptr<TlsStream>> stream_;
  websocket::response_type response_;
  beast::flat_buffer buffer_;
  State state_ = State::idle;
  Clock::time_point openedAt_;
  bool reading_ = false;
  bool idleLimitPaused_ = false;   // while reading waits for room
  std::size_t framesWaiting_ = 0;  // handed to the main thread and not yet taken
  std::size_t bytesWaiting_ = 0;
  std::atomic<std::chrono::milliseconds> heardFor_{};  // read from any thread
};

// Gives the frame's room back to the socket before the app handles it. Defined out of the class:
// a lambda in an inline member makes Asio instantiations that the library would export.
void WebSocket::Session::takeOnMainThread(std::string frame, std::size_t bytes) {
  asio::post(ioContext(), [self = shared_from_this(), bytes] { self->taken(bytes); });
  events_.didReceiveText(std::move(frame));
}

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

std::chrono::milliseconds WebSocket::heardFor() const {
  return session_->heardFor();
}

void setWebSocketCertificateAuthorityForTesting(std::optional<std::string> pemFile) {
  auto& settings = testingSettings();
  std::lock_guard lock(settings.mutex);
  settings.pemFile = std::move(pemFile);
}

void setWebSocketIdleLimitForTesting(std::optional<std::chrono::milliseconds> limit) {
  auto& settings = testingSettings();
  std::lock_guard lock(settings.mutex);
  settings.idleLimit = limit;
}

WebSocketBacklog webSocketBacklogForTesting() {
  const std::size_t frames = backlog().frames;
  return {frames, backlog().peakFrames.exchange(frames)};
}

}  // namespace zelvora::internal
