#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fake_platform/ConnectionLimits.hpp"
#include "fake_platform/StreamedBody.hpp"
#include "fake_platform/Text.hpp"
#include "fake_platform/TlsIdentity.hpp"

// HTTP/1.1 over loopback, plain or with TLS, kept behind this header so that only one translation
// unit pays for compiling Boost.Beast.
namespace zelvora::fake {

struct HttpRequest {
  std::string method;
  std::string target;
  std::map<std::string, std::string> headers;  // the server hands them over with lower-case names
  std::string body;
};

struct HttpResponse {
  int status = 200;
  std::map<std::string, std::string> headers;
  std::string body;
  std::optional<StreamedBody> streamedBody{};  // in place of `body` when present
};

// A header of a request the server received, named in any letter case; null when absent.
inline const std::string* findHeader(const HttpRequest& request, std::string_view name) {
  auto found = request.headers.find(lowerCase(name));
  return found == request.headers.end() ? nullptr : &found->second;
}

// A connection the HTTP server gives up to another protocol (a websocket upgrade), defined in
// fake_platform/HandedOverConnection.hpp.
struct HandedOverConnection;
using HandOver = std::function<void(std::shared_ptr<HandedOverConnection>)>;

// What the server does with one request.
struct Reaction {
  enum class Kind { reply, dropConnection, resetConnection, noReply, handOver };
  Kind kind = Kind::reply;
  HttpResponse response;
  std::chrono::milliseconds delay{0};
  HandOver handOver{};  // takes the connection, for Kind::handOver
};

using RequestHandler = std::function<Reaction(HttpRequest)>;

// Keep-alive server on 127.0.0.1 with one I/O thread; the handler runs on that thread. With an
// identity it speaks only TLS, and hands no connection over. A port that cannot be listened on
// throws std::system_error (std::errc::address_in_use when another socket holds it).
class HttpServer {
 public:
  HttpServer(std::uint16_t port, RequestHandler handler,
             const std::optional<TlsIdentity>& tls = std::nullopt, ConnectionLimits limits = {});
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  std::uint16_t port() const;
  std::size_t connectionsAccepted() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

struct Exchange {
  enum class Outcome { replied, connectionClosed, timedOut };
  Outcome outcome = Outcome::replied;
  HttpResponse response;
};

// Blocking client over one kept-alive connection to 127.0.0.1, for tests. Header names are sent
// as given; the response's header names arrive in lower case.
class HttpClient {
 public:
  explicit HttpClient(std::uint16_t port);
  ~HttpClient();
  HttpClient(const HttpClient&) = delete;
  HttpClient& operator=(const HttpClient&) = delete;

  Exchange send(const HttpRequest& request,
                std::chrono::milliseconds timeout = std::chrono::seconds(10));

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zelvora::fake
