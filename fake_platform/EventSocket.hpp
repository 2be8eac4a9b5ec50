#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "fake_platform/Http.hpp"
#include "fake_platform/TlsIdentity.hpp"

// The platform's event websocket, kept behind this header so that only one translation unit of
// the fake platform pays for compiling Boost.Beast's websocket and TLS streams.
namespace zelvora::fake {

inline constexpr std::string_view kEventSocketPathPrefix = "/api/client/ws/";

// One websocket upgrade request as the server saw it, accepted or refused.
struct EventSocketHandshake {
  std::string path;       // the request target
  std::string protocols;  // "Sec-WebSocket-Protocol" as sent, empty when absent
  std::string host;       // "Host" as sent
};

// Accepts websockets on "/api/client/ws/<device id>" that offer the protocol "chat" (answered
// with "chat"), and pushes frames to them; reads nothing from them but pings and their close.
// Either attached to the fake platform's HTTP port, which hands it the upgrade requests, or
// listening on a loopback port of its own, plain or with TLS. Every member is safe from any thread.
class EventSocketServer {
 public:
  // Attached: serves only the connections given to adopt().
  EventSocketServer();
  // Listening on its own port (0 picks a free one), with TLS when an identity is given.
  explicit EventSocketServer(std::optional<TlsIdentity> tls, std::uint16_t port = 0);
  ~EventSocketServer();
  EventSocketServer(const EventSocketServer&) = delete;
  EventSocketServer& operator=(const EventSocketServer&) = delete;

  // The port of a listening server; 0 when attached.
  std::uint16_t port() const;

  // Takes over a connection whose request (already read) asks for a websocket.
  void adopt(std::shared_ptr<HandedOverConnection> connection, const HttpRequest& request);

  // Frames for every open connection, or for those of one device, in the order pushed.
  void pushText(std::string text);
  void pushTextTo(const std::string& deviceId, std::string text);
  void pushBinary(std::string bytes);
  // `count` text frames for every open connection, frame i made by frameAt(i) only when its turn
  // comes, so that a flood of any length holds one frame at a time.
  void pushTexts(std::size_t count, std::function<std::string(std::size_t index)> frameAt);
  // Bytes written to every open connection as they are, in their turn: what the server's own
  // websocket would never write (a close frame ahead of silence, a frame with a reserved opcode).
  void pushRaw(std::string bytes);
  // Every open connection, once what was pushed before is written, goes silent: it reads and writes
  // nothing more, answers no ping and keeps its TCP connection open until the server goes.
  void goSilent();
  // Closes every open connection: with a close frame ("normal closure"), or abruptly, without one.
  void closeAll(bool cleanly);
  // Answers later upgrade requests with this HTTP status instead of accepting them; nullopt
  // accepts again.
  void refuseUpgrades(std::optional<int> status);
  // Headers that later accepted upgrades' 101 replies carry in place of "Sec-WebSocket-Protocol:
  // chat" (a protocol or an extension the client did not ask for); nullopt for that one again.
  void replyWithHeaders(std::optional<std::vector<std::pair<std::string, std::string>>> headers);
  // Leaves later upgrade requests unanswered, their connections open, until released: then they
  // are answered as the server would have.
  void holdUpgrades(bool hold);
  // A listening server stops accepting connections on its port (they are refused) and starts
  // again on the same port.
  void stopListening();
  void resumeListening();

  // Upgrade requests received, refused ones included.
  std::size_t upgradeAttempts() const;
  // Websockets open now, silent ones not counted.
  std::size_t openConnections() const;
  std::vector<EventSocketHandshake> handshakes() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// Whether the request asks for the event websocket (a GET upgrade to websocket under its path).
bool isEventSocketUpgrade(const HttpRequest& request);

}  // namespace zelvora::fake
