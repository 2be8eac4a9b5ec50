#pragma once

#include <zelvora/Export.hpp>
#include <zelvora/ZelvoraEventDelegate.hpp>

#include <memory>
#include <string_view>

namespace zelvora {

// The app's entry to the platform's real-time basket events: one listener per process, holding a
// receive-only websocket to the platform. The SDK connects it after every successful shopper
// authentication; from its first use on it follows the app into the background (closing the
// connection) and back (opening it again and catching up on what it missed), and it reconnects
// when the connection drops while the app is in the foreground: at once after a single drop, with
// a growing wait while connections keep failing or closing soon after they opened. Connection
// failures are never reported as errors: the app sees them only through the two notifications
// below.
class ZELVORA_EXPORT ZelvoraEventListener {
 public:
  // Posted on NotificationCenter::defaultCenter(), on the main thread, when the event connection
  // opens and when it closes or fails.
  static constexpr std::string_view websocketConnectedNotification = "vardeloWebsocketConnected";
  static constexpr std::string_view websocketDisconnectedNotification =
      "vardeloWebsocketDisconnected";

  // The process's listener, created on first use (from any thread) and kept until the process
  // ends.
  static ZelvoraEventListener& shared();

  // The app's delegate, held weakly: the SDK never keeps it alive, and a delegate released before
  // an event is delivered simply misses it. Each delivery looks the delegate up when it runs, so a
  // delegate set after an event arrived still receives it. Safe from any thread.
  void setDelegate(std::weak_ptr<ZelvoraEventDelegate> delegate);
  // The delegate, or null when none is set or it has been released. Safe from any thread.
  std::shared_ptr<ZelvoraEventDelegate> delegate() const;

  // Opens the event connection anew, closing the one open or opening before, and returns at once;
  // how it goes is never reported to the caller. When connections have been failing, or closing
  // soon after they opened, the new attempt waits as the listener's own reconnects do (up to 30 s),
  // and a call while such a wait runs joins it. Safe from any thread.
  void connect();
  // Closes the open event connection; nothing when none is open. In the foreground the listener
  // connects again at once, as after any drop. Safe from any thread.
  void disconnect();

  ZelvoraEventListener(const ZelvoraEventListener&) = delete;
  ZelvoraEventListener& operator=(const ZelvoraEventListener&) = delete;

 private:
  ZelvoraEventListener() = default;
};

}  // namespace zelvora
