#pragma once

#include "EventMessages.hpp"
#include "Helpers/StoredModel.hpp"
#include "InternalWebSocketListener.hpp"
#include "Platform/Application.hpp"
#include "ReconnectBackoff.hpp"

#include <zelvora/NotificationCenter.hpp>
#include <zelvora/ZelvoraEventDelegate.hpp>

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zelvora::internal {

class WebSocket;

struct EventListenerOptions {
  // Where each delivery looks the app's delegate up, when it runs; by default the delegate set on
  // ZelvoraEventListener::shared().
  std::function<std::shared_ptr<ZelvoraEventDelegate>()> delegate;
  ReconnectSettings reconnect{};
};

// The event socket's owner. Its state lives on the main thread: connect() and disconnect() hop
// there, the socket delivers its callbacks there, and the app's lifecycle is reported there. Keeps
// at most one socket: a socket it replaces, open or still opening, is closed and forgotten, and
// callbacks of a socket it no longer holds change nothing. Every attempt waits for the reconnect
// backoff, which authentication and the return to the foreground start afresh.
class EventListener final : public InternalWebSocketListener,
                            public std::enable_shared_from_this<EventListener> {
 public:
  static std::shared_ptr<EventListener> create(EventListenerOptions options = {});
  ~EventListener() override;

  void connect() override;
  void connectAfterAuthentication() override;
  void disconnect() override;

 private:
  struct Connection {
    std::unique_ptr<WebSocket> socket;
    std::uint64_t id = 0;
    bool opened = false;  // set once the socket reported its connection

    // How long after its opening the connection heard the platform; nothing when it never opened.
    std::optional<std::chrono::milliseconds> heardFor() const;
  };

  explicit EventListener(EventListenerOptions options);
  void observeApplication();

  // On the main thread.
  void connectAfresh();
  void replaceSocket();
  void open();
  void closeOpenSocket();
  std::optional<std::chrono::milliseconds> forgetSocket();
  void enterBackground();
  void enterForeground();
  void socketConnected(std::uint64_t socketId);
  void socketDisconnected(std::uint64_t socketId);
  void frameReceived(std::uint64_t socketId, std::string text);
  void reconnectAfter(std::optional<std::chrono::milliseconds> heardFor);
  void cancelScheduledReconnect();
  void endBackgroundTask(std::optional<platform::BackgroundTaskId> onlyThis = std::nullopt);
  bool isCurrent(std::uint64_t socketId) const { return current_ && current_->id == socketId; }

  // Event messages and the re-sync (EventResync.cpp).
  void handle(const EventMessage& message);
  void cancelTransaction();
  void startResync();
  void lookUpForResync(const std::string& basketId, bool retryOnError);
  void resyncWith(const std::string& basketId, PlatformRead lookup,
                  const std::shared_ptr<Basket>& fresh);
  void lookUpReceiptForResync(const std::string& basketId);
  void deliver(std::function<void(ZelvoraEventDelegate&)> callback);
  void deliverReceipt(std::shared_ptr<BasketReceiptNotification> receipt);
  bool rememberReceipt(const std::string& receiptId);

  const EventListenerOptions options_;
  ReconnectBackoff backoff_;
  std::optional<Connection> current_;
  std::uint64_t lastSocketId_ = 0;
  std::uint64_t reconnectTicket_ = 0;  // a scheduled reconnect runs only while it is current
  bool reconnectScheduled_ = false;
  bool inBackground_ = false;
  bool resyncDue_ = false;  // from entering the background to the next connection
  std::optional<platform::BackgroundTaskId> backgroundTask_;
  // The ids of the receipts last queued for the delegate, oldest first.
  static constexpr std::size_t kRememberedReceipts = 32;
  std::deque<std::string> deliveredReceiptIds_;
  NotificationCenter::Token backgroundObserver_ = 0;
  NotificationCenter::Token foregroundObserver_ = 0;
};

}  // namespace zelvora::internal
