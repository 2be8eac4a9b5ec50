#pragma once

#include <chrono>
#include <cstddef>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace zelvora::internal {

// What a socket reports, each on the main queue, in the order it happened: at most one
// didConnect, then text frames, then one didDisconnect, after which nothing more.
struct WebSocketEvents {
  std::function<void()> didConnect;
  // The connection closed, failed to open, or was closed by disconnect(); why is not told.
  std::function<void()> didDisconnect;
  std::function<void(std::string text)> didReceiveText;
};

// A receive-only websocket client over Boost.Beast: "ws://" or "wss://" (TLS, with the server's
// certificate verified against the system's authorities and its name against the host). All
// sockets share one I/O thread of the SDK's own. Host names listed in ZELVORA_RESOLVE connect to
// the address given there, as the REST transport's do. Binary frames are read and dropped; a
// message larger than maxMessageBytes closes the connection. A reply to the upgrade that names a
// protocol not offered, or any extension, fails the opening. An open connection that receives
// nothing, not even the answer to its keep-alive ping, for the idle limit (10 s) is dropped, and
// so is a closing handshake the server does not finish. While reading is paused for room, the
// idle limit waits: it counts afresh once reading resumes.
class WebSocket {
 public:
  static constexpr std::size_t maxMessageBytes = std::size_t{1} << 20;
  // A socket reads no further frame while this many text frames, or this many bytes of them, wait
  // for the main thread.
  static constexpr std::size_t maxFramesWaiting = 16;
  static constexpr std::size_t maxBytesWaiting = std::size_t{4} << 20;

  // A socket for the address ("ws://host:port/path" or "wss://...", the port defaulting to 80 or
  // 443) that offers the protocols, in order; it does nothing until connect(). Any thread.
  WebSocket(std::string url, std::vector<std::string> protocols, WebSocketEvents events);
  // Closes the connection as disconnect() does.
  ~WebSocket();
  WebSocket(const WebSocket&) = delete;
  WebSocket& operator=(const WebSocket&) = delete;

  // Starts opening the connection; didConnect or didDisconnect follows. Only the first call
  // counts. Any thread.
  void connect();
  // Closes the connection at once, whether open or still opening; didDisconnect follows if
  // connect() was called and none was reported yet. Any thread.
  void disconnect();
  // How long after the opening the platform was last heard: a frame, a ping or a pong received;
  // zero while nothing came after the opening, or the connection never opened. Any thread.
  std::chrono::milliseconds heardFor() const;

 private:
  class Session;
  std::shared_ptr<Session> session_;
};

// Certificate authorities (a PEM file) that wss connections made from now on trust besides the
// system's; nullopt for the system's alone. For tests.
void setWebSocketCertificateAuthorityForTesting(std::optional<std::string> pemFile);

// The idle limit of sockets created from now on; nullopt for the default. For tests.
void setWebSocketIdleLimitForTesting(std::optional<std::chrono::milliseconds> limit);

// Text frames that every socket together has read and the main thread not yet taken: now, and the
// most at once since the last call. For tests.
struct WebSocketBacklog {
  std::size_t frames = 0;
  std::size_t peakFrames = 0;
};
WebSocketBacklog webSocketBacklogForTesting();

}  // namespace zelvora::internal
