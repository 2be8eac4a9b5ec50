#include "fake_platform/EventSocket.hpp"

#include <atomic>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <utility>

#include <boost/asio/executor_work_guard.hpp>
#include <boost/asio/io_context.hpp>
#include <boost/asio/ip/tcp.hpp>
#include <boost/asio/post.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <boost/beast/websocket.hpp>
#include <boost/beast/websocket/ssl.hpp>

#include "fake_platform/HandedOverConnection.hpp"
#include "fake_platform/ServerTlsContext.hpp"
#include "fake_platform/Text.hpp"

namespace zelvora::fake {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
namespace websocket = beast::websocket;
namespace ssl = asio::ssl;
using tcp = asio::ip::tcp;

using PlainSocket = websocket::stream<beast::tcp_stream>;
using TlsSocket = websocket::stream<beast::ssl_stream<beast::tcp_stream>>;
using UpgradeRequest = http::request<http::string_body>;

constexpr std::string_view kProtocol = "chat";
constexpr auto kHandshakeTime = std::chrono::seconds(10);

using Headers = std::vector<std::pair<std::string, std::string>>;

// What a connection writes next, in the order pushed: `count` payloads of one kind, each made by
// payloadAt(i) when its turn comes; or its going silent.
struct Output {
  enum class Kind { text, binary, raw, silence } kind = Kind::text;
  std::size_t count = 1;
  std::function<std::string(std::size_t)> payloadAt;
};

Output fixed(Output::Kind kind, std::string payload) {
  return {kind, 1, [payload = std::move(payload)](std::size_t) { return payload; }};
}

// One open websocket, as the server reaches it from any thread.
class Link {
 public:
  virtual ~Link() = default;
  virtual void push(Output output) = 0;
  virtual void close(bool cleanly) = 0;
  virtual const std::string& deviceId() const = 0;
};

// What the connections share with their server; it lives as long as any of them.
struct Registry {
  mutable std::mutex mutex;
  std::optional<int> refusal;
  std::optional<Headers> replyHeaders;
  bool holding = false;
  std::vector<std::function<void()>> held;  // the answers of held upgrade requests
  std::size_t attempts = 0;
  std::vector<EventSocketHandshake> handshakes;
  std::vector<std::weak_ptr<Link>> links;
  std::atomic<std::size_t> open{0};

  // Counts and records the request; false when it is held, its answer kept for later.
  bool admit(const UpgradeRequest& request, std::function<void()> answerLater) {
    std::lock_guard lock(mutex);
    ++attempts;
    handshakes.push_back({std::string(request.target()),
                          std::string(request[http::field::sec_websocket_protocol]),
                          std::string(request[http::field::host])});
    if (holding) {
      held.push_back(std::move(answerLater));
    }
    return !holding;
  }

  std::optional<int> currentRefusal() const {
    std::lock_guard lock(mutex);
    return refusal;
  }

  Headers currentReplyHeaders() const {
    std::lock_guard lock(mutex);
    return replyHeaders.value_or(Headers{{"Sec-WebSocket-Protocol", std::string(kProtocol)}});
  }

  void add(std::weak_ptr<Link> link) {
    std::lock_guard lock(mutex);
    std::erase_if(links, [](const auto& entry) { return entry.expired(); });
    links.push_back(std::move(link));
  }

  std::vector<std::shared_ptr<Link>> openLinks() const {
    std::lock_guard lock(mutex);
    std::vector<std::shared_ptr<Link>> live;
    for (const auto& entry : links) {
      if (auto link = entry.lock()) {
        live.push_back(std::move(link));
      }
    }
    return live;
  }
};

std::string_view view(beast::string_view text) {
  return {text.data(), text.size()};
}

bool offersProtocol(const UpgradeRequest& request) {
  const std::string offered(view(request[http::field::sec_websocket_protocol]));
  std::size_t start = 0;
  while (start <= offered.size()) {
    std::size_t comma = offered.find(',', start);
    if (comma == std::string::npos) {
      comma = offered.size();
    }
    std::string_view entry = std::string_view(offered).substr(start, comma - start);
    while (!entry.empty() && entry.front() == ' ') {
      entry.remove_prefix(1);
    }
    while (!entry.empty() && entry.back() == ' ') {
      entry.remove_suffix(1);
    }
    if (entry == kProtocol) {
      return true;
    }
    start = comma + 1;
  }
  return false;
}

std::string deviceIdOf(std::string_view target) {
  target = target.substr(0, target.find('?'));
  return target.starts_with(kEventSocketPathPrefix)
             ? std::string(target.substr(kEventSocketPathPrefix.size()))
             : std::string();
}

// A websocket over a plain or TLS stream: the upgrade, then frames out and nothing but the close
// in. Runs on its socket's executor; the server reaches it through Link.
template <class Socket>
class Connection final : public Link, public std::enable_shared_from_this<Connection<Socket>> {
 public:
  template <class... StreamArgs>
  Connection(std::shared_ptr<Registry> registry, StreamArgs&&... args)
      : registry_(std::move(registry)), ws_(std::forward<StreamArgs>(args)...) {}

  ~Connection() override { markClosed(); }

  // A listening server's connection: the TLS handshake if any, then the upgrade request.
  void start() {
    if constexpr (std::is_same_v<Socket, TlsSocket>) {
      beast::get_lowest_layer(ws_).expires_after(kHandshakeTime);
      ws_.next_layer().async_handshake(ssl::stream_base::server,
                                       [self = this->shared_from_this()](beast::error_code ec) {
                                         if (!ec) {
                                           self->readUpgrade();
                                         }
                                       });
    } else {
      readUpgrade();
    }
  }

  // Takes over an attached connection whose request the HTTP server has read.
  void upgrade(UpgradeRequest request) {
    beast::get_lowest_layer(ws_).expires_never();
    deviceId_ = deviceIdOf(view(request.target()));
    request_ = std::move(request);
    auto answerLater = [self = this->shared_from_this()] {
      asio::post(self->ws_.get_executor(), [self] { self->answer(); });
    };
    if (registry_->admit(request_, std::move(answerLater))) {
      answer();
    }
  }

  void push(Output output) override {
    asio::post(ws_.get_executor(), [self = this->shared_from_this(), output = std::move(output)] {
      self->outbox_.push_back(std::move(output));
      if (self->open_ && self->outbox_.size() == 1) {
        self->writeNext();
      }
    });
  }

  void close(bool cleanly) override {
    asio::post(ws_.get_executor(), [self = this->shared_from_this(), cleanly] {
      if (!self->open_) {
        return;
      }
      if (cleanly) {
        // Beast takes one close at a time: a test may ask again before the first has ended.
        if (std::exchange(self->closing_, true)) {
          return;
        }
        self->ws_.async_close(websocket::close_code::normal, [self](beast::error_code) {});
      } else {
        beast::error_code ignored;
        beast::get_lowest_layer(self->ws_).socket().close(ignored);
      }
    });
  }

  const std::string& deviceId() const override { return deviceId_; }

 private:
  void answer() {
    const std::optional<int> refusal = registry_->currentRefusal();
    if (refusal || !websocket::is_upgrade(request_) || !offersProtocol(request_) ||
        !view(request_.target()).starts_with(kEventSocketPathPrefix)) {
      return refuse(request_, refusal.value_or(400));
    }
    ws_.set_option(websocket::stream_base::decorator(
        [headers = registry_->currentReplyHeaders()](websocket::response_type& response) {
          for (const auto& [name, value] : headers) {
            response.set(name, value);
          }
        }));
    // Frames pushed from now on wait for the handshake to complete.
    registry_->add(this->weak_from_this());
    ws_.async_accept(request_, [self = this->shared_from_this()](beast::error_code ec) {
      if (!ec) {
        self->opened();
      }
    });
  }

  void readUpgrade() {
    beast::get_lowest_layer(ws_).expires_after(kHandshakeTime);
    http::async_read(ws_.next_layer(), buffer_, request_,
                     [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
                       if (!ec) {
                         self->upgrade(std::move(self->request_));
                       }
                     });
  }

  void refuse(const UpgradeRequest& request, int status) {
    auto response = std::make_shared<http::response<http::string_body>>(
        static_cast<http::status>(status), request.version());
    response->keep_alive(false);
    response->body() = "upgrade refused";
    response->prepare_payload();
    http::async_write(ws_.next_layer(), *response,
                      [self = this->shared_from_this(), response](beast::error_code, std::size_t) {
                        beast::error_code ignored;
                        beast::get_lowest_layer(self->ws_).socket().close(ignored);
                      });
  }

  void opened() {
    open_ = true;
    ++registry_->open;
    readUntilClosed();
    if (!outbox_.empty()) {
      writeNext();
    }
  }

  void readUntilClosed() {
    ws_.async_read(inbox_, [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
      if (ec) {
        self->markClosed();
        return;
      }
      self->inbox_.clear();
      self->readUntilClosed();
    });
  }

  void writeNext() {
    const Output& output = outbox_.front();
    if (output.kind == Output::Kind::silence) {
      return goSilent();
    }
    writing_ = output.payloadAt(written_);
    auto next = [self = this->shared_from_this()](beast::error_code ec, std::size_t) {
      if (++self->written_ == self->outbox_.front().count) {
        self->written_ = 0;
        self->outbox_.pop_front();
      }
      if (!ec && !self->outbox_.empty()) {
        self->writeNext();
      }
    };
    if (output.kind == Output::Kind::raw) {
      return asio::async_write(ws_.next_layer(), asio::buffer(writing_), std::move(next));
    }
    ws_.text(output.kind == Output::Kind::text);
    ws_.async_write(asio::buffer(writing_), std::move(next));
  }

  // Ends the read under way without closing anything and leaves the socket alone from then on,
  // kept open by a wait that only an error on it (or the server's end) completes.
  void goSilent() {
    markClosed();
    outbox_.clear();
    auto& socket = beast::get_lowest_layer(ws_).socket();
    beast::error_code ignored;
    socket.cancel(ignored);
    socket.async_wait(tcp::socket::wait_error,
                      [self = this->shared_from_this()](beast::error_code) {});
  }

  void markClosed() {
    if (open_) {
      open_ = false;
      --registry_->open;
    }
  }

  std::shared_ptr<Registry> registry_;
  Socket ws_;
  beast::flat_buffer buffer_;
  beast::flat_buffer inbox_;
  UpgradeRequest request_;
  std::deque<Output> outbox_;
  std::size_t written_ = 0;  // of the front output's payloads
  std::string writing_;
  std::string deviceId_;
  bool open_ = false;
  bool closing_ = false;  // a clean close of ours is under way
};

UpgradeRequest beastRequest(const HttpRequest& request) {
  UpgradeRequest message;
  message.method_string(request.method);
  message.target(request.target);
  message.version(11);
  for (const auto& [name, value] : request.headers) {
    message.set(name, value);
  }
  message.body() = request.body;
  return message;
}

}  // namespace

struct EventSocketServer::Impl {
  // Attached: no port, no thread of its own.
  Impl() : registry(std::make_shared<Registry>()) {}

  Impl(std::optional<TlsIdentity> identity, std::uint16_t port)
      : registry(std::make_shared<Registry>()), acceptor(io) {
    if (identity) {
      tls.emplace(serverTlsContext(*identity));
    }
    listen(port);
    boundPort = acceptor.local_endpoint().port();
    thread = std::thread([this] { io.run(); });
  }

  ~Impl() {
    if (thread.joinable()) {
      io.stop();
      thread.join();
    }
  }

  void listen(std::uint16_t port) {
    const tcp::endpoint endpoint(asio::ip::address_v4::loopback(), port);
    acceptor.open(endpoint.protocol());
    acceptor.set_option(tcp::acceptor::reuse_address(true));
    acceptor.bind(endpoint);
    acceptor.listen();
    accept();
  }

  void accept() {
    acceptor.async_accept([this](beast::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted || !acceptor.is_open()) {
        return;
      }
      if (!ec) {
        socket.set_option(tcp::no_delay(true), ec);
        serve(std::move(socket));
      }
      accept();
    });
  }

  void serve(tcp::socket socket) {
    if (tls) {
      std::make_shared<Connection<TlsSocket>>(registry, std::move(socket), *tls)->start();
    } else {
      std::make_shared<Connection<PlainSocket>>(registry, std::move(socket))->start();
    }
  }

  // Runs the change on the I/O thread and waits for it.
  template <class Change>
  void onIoThread(Change change) {
    std::promise<void> done;
    asio::post(io, [&] {
      try {
        change();
        done.set_value();
      } catch (...) {
        done.set_exception(std::current_exception());
      }
    });
    done.get_future().get();
  }

  void push(const std::optional<std::string>& deviceId, const Output& output) const {
    for (const auto& link : registry->openLinks()) {
      if (!deviceId || link->deviceId() == *deviceId) {
        link->push(output);
      }
    }
  }

  std::shared_ptr<Registry> registry;
  asio::io_context io;
  // Keeps the thread running while the server does not listen.
  asio::executor_work_guard<asio::io_context::executor_type> work = asio::make_work_guard(io);
  std::optional<ssl::context> tls;
  tcp::acceptor acceptor{io};
  std::uint16_t boundPort = 0;
  std::thread thread;
};

EventSocketServer::EventSocketServer() : impl_(std::make_unique<Impl>()) {}

EventSocketServer::EventSocketServer(std::optional<TlsIdentity> tls, std::uint16_t port)
    : impl_(std::make_unique<Impl>(std::move(tls), port)) {}

EventSocketServer::~EventSocketServer() = default;

std::uint16_t EventSocketServer::port() const {
  return impl_->boundPort;
}

void EventSocketServer::adopt(std::shared_ptr<HandedOverConnection> connection,
                              const HttpRequest& request) {
  std::make_shared<Connection<PlainSocket>>(impl_->registry, std::move(connection->socket))
      ->upgrade(beastRequest(request));
}

void EventSocketServer::pushText(std::string text) {
  impl_->push(std::nullopt, fixed(Output::Kind::text, std::move(text)));
}

void EventSocketServer::pushTextTo(const std::string& deviceId, std::string text) {
  impl_->push(deviceId, fixed(Output::Kind::text, std::move(text)));
}

void EventSocketServer::pushBinary(std::string bytes) {
  impl_->push(std::nullopt, fixed(Output::Kind::binary, std::move(bytes)));
}

void EventSocketServer::pushTexts(std::size_t count,
                                  std::function<std::string(std::size_t index)> frameAt) {
  if (count > 0) {
    impl_->push(std::nullopt, {Output::Kind::text, count, std::move(frameAt)});
  }
}

void EventSocketServer::pushRaw(std::string bytes) {
  impl_->push(std::nullopt, fixed(Output::Kind::raw, std::move(bytes)));
}

void EventSocketServer::goSilent() {
  impl_->push(std::nullopt, {Output::Kind::silence, 1, {}});
}

void EventSocketServer::replyWithHeaders(std::optional<Headers> headers) {
  std::lock_guard lock(impl_->registry->mutex);
  impl_->registry->replyHeaders = std::move(headers);
}

void EventSocketServer::closeAll(bool cleanly) {
  for (const auto& link : impl_->registry->openLinks()) {
    link->close(cleanly);
  }
}

void EventSocketServer::refuseUpgrades(std::optional<int> status) {
  std::lock_guard lock(impl_->registry->mutex);
  impl_->registry->refusal = status;
}

void EventSocketServer::holdUpgrades(bool hold) {
  std::vector<std::function<void()>> answers;
  {
    std::lock_guard lock(impl_->registry->mutex);
    impl_->registry->holding = hold;
    if (!hold) {
      answers.swap(impl_->registry->held);
    }
  }
  for (const auto& answer : answers) {
    answer();
  }
}

void EventSocketServer::stopListening() {
  impl_->onIoThread([this] {
    beast::error_code ignored;
    impl_->acceptor.close(ignored);
  });
}

void EventSocketServer::resumeListening() {
  impl_->onIoThread([this] {
    if (!impl_->acceptor.is_open()) {
      impl_->listen(impl_->boundPort);
    }
  });
}

std::size_t EventSocketServer::upgradeAttempts() const {
  std::lock_guard lock(impl_->registry->mutex);
  return impl_->registry->attempts;
}

std::size_t EventSocketServer::openConnections() const {
  return impl_->registry->open;
}

std::vector<EventSocketHandshake> EventSocketServer::handshakes() const {
  std::lock_guard lock(impl_->registry->mutex);
  return impl_->registry->handshakes;
}

bool isEventSocketUpgrade(const HttpRequest& request) {
  const std::string* upgrade = findHeader(request, "upgrade");
  return request.method == "GET" && request.target.starts_with(kEventSocketPathPrefix) &&
         upgrade != nullptr && lowerCase(*upgrade) == "websocket";
}

}  // namespace zelvora::fake
