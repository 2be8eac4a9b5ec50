#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fake_platform/ConnectionLimits.hpp"
#include "fake_platform/Fixtures.hpp"
#include "fake_platform/StreamedBody.hpp"
#include "fake_platform/TlsIdentity.hpp"

namespace zelvora::fake {

class EventSocketServer;

struct Credentials {
  std::string merchantId;
  std::string apiKey;
  std::string apiSecret;
};

// One request as it arrived, kept whatever the server answered.
struct RecordedRequest {
  // The platform keeps the latest requests and the start of each body, so that clients sending
  // without end cannot make it grow without end.
  static constexpr std::size_t kKeptRequests = 1000;
  static constexpr std::size_t kKeptBodyBytes = 64 * 1024;

  std::string method;
  std::string target;  // path and query as sent, still percent-encoded
  std::string path;    // percent-decoded, without the query: what the signature covers
  std::map<std::string, std::string> headers;  // names in lower case
  std::string body;                            // its first kKeptBodyBytes bytes
  std::size_t bodyBytes = 0;                   // the whole body's length
  bool signatureValid = false;
};

// A canned answer for the requests that match a script. With a status or a body, that answer
// replaces the platform's; without any, the platform handles the request as usual (changing
// its state) and its own answer goes out after the delay, unless it is dropped or withheld.
struct ScriptedReply {
  std::optional<int> status{};
  std::optional<std::string> body{};
  std::optional<StreamedBody> streamedBody{};  // a body too large to hold, or one that trickles
  std::map<std::string, std::string> headers{};
  std::chrono::milliseconds delay{0};
  bool dropConnection = false;   // close the connection without answering
  bool resetConnection = false;  // abort it (a TCP reset) without answering
  bool noReply = false;          // keep the connection open, unanswered, until the server stops
  int times = -1;                // how many requests it serves; -1 for all of them
};

// The platform's REST service on a loopback port: stateful, strict about headers and signatures,
// recording and scriptable. Stopping (the destructor) also releases unanswered connections.
class FakePlatform {
 public:
  // With an identity, the REST service speaks only https; its events() then takes no upgrades.
  // A port that cannot be listened on throws std::system_error (std::errc::address_in_use when
  // another socket holds it).
  explicit FakePlatform(Credentials credentials, std::uint16_t port = 0,
                        const std::optional<TlsIdentity>& tls = std::nullopt,
                        ConnectionLimits limits = {});
  ~FakePlatform();
  FakePlatform(const FakePlatform&) = delete;
  FakePlatform& operator=(const FakePlatform&) = delete;

  std::uint16_t port() const;
  const Credentials& credentials() const;
  std::size_t connectionsAccepted() const;

  // The latest RecordedRequest::kKeptRequests requests, oldest first.
  std::vector<RecordedRequest> requests() const;
  void clearRequests();

  // method "*" matches every method; a path ending in "*" matches every path it begins.
  // Paths are compared percent-decoded and without the query; the latest matching script wins.
  void script(std::string method, std::string path, ScriptedReply reply);
  void clearScripts();

  std::optional<std::string> shopperIdFor(std::string_view merchantShopperId) const;
  std::vector<std::string> paymentInstrumentIds(std::string_view shopperId) const;
  std::optional<std::string> basketState(std::string_view basketId) const;

  // The event websocket on the same port (fake_platform/EventSocket.hpp). Besides what tests push
  // through it, the platform pushes the events that follow basket updates, completed scans,
  // payments and points of sale reporting a paid basket ready.
  EventSocketServer& events();
  // The point of sale cancels an open basket, and the device hears of it; false when the basket
  // is unknown or closed.
  bool cancelTransaction(std::string_view basketId);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace zelvora::fake
