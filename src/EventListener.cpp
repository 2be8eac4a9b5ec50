#include "EventListener.hpp"

#include "Helpers/Constants.hpp"
#include "Platform/Device.hpp"
#include "Platform/MainQueue.hpp"
#include "WebSocket.hpp"

#include <zelvora/Application.hpp>
#include <zelvora/ZelvoraEventListener.hpp>

namespace zelvora::internal {
namespace {

std::shared_ptr<ZelvoraEventDelegate> appDelegate() {
  return ZelvoraEventListener::shared().delegate();
}

void postNotification(std::string_view name) {
  NotificationCenter::defaultCenter().post(name);
}

}  // namespace

std::optional<std::chrono::milliseconds> EventListener::Connection::heardFor() const {
  if (!opened) {
    return std::nullopt;
  }
  return socket->heardFor();
}

std::shared_ptr<EventListener> EventListener::create(EventListenerOptions options) {
  if (!options.delegate) {
    options.delegate = appDelegate;
  }
  std::shared_ptr<EventListener> listener(new EventListener(std::move(options)));
  listener->observeApplication();
  return listener;
}

EventListener::EventListener(EventListenerOptions options)
    : options_(std::move(options)), backoff_(options_.reconnect) {}

EventListener::~EventListener() {
  auto& center = NotificationCenter::defaultCenter();
  center.removeObserver(backgroundObserver_);
  center.removeObserver(foregroundObserver_);
  endBackgroundTask();
}

// Application's calls post their notifications on the main thread, so the observers act at once.
void EventListener::observeApplication() {
  auto& center = NotificationCenter::defaultCenter();
  const std::weak_ptr<EventListener> weak = weak_from_this();
  backgroundObserver_ =
      center.addObserver(std::string(Application::didEnterBackgroundNotification), [weak] {
        if (auto self = weak.lock()) {
          self->enterBackground();
        }
      });
  foregroundObserver_ =
      center.addObserver(std::string(Application::willEnterForegroundNotification), [weak] {
        if (auto self = weak.lock()) {
          self->enterForeground();
        }
      });
}

void EventListener::connect() {
  platform::mainQueue()->post([self = shared_from_this()] { self->replaceSocket(); });
}

void EventListener::connectAfterAuthentication() {
  platform::mainQueue()->post([self = shared_from_this()] { self->connectAfresh(); });
}

void EventListener::disconnect() {
  platform::mainQueue()->post([self = shared_from_this()] { self->closeOpenSocket(); });
}

// Authentication and the return to the foreground are new reasons to expect the platform to
// answer: the backoff starts afresh and the socket is replaced at once.
void EventListener::connectAfresh() {
  backoff_.reset();
  cancelScheduledReconnect();
  open();
}

// The app's connect() ends the connection open or opening as a drop would, and the next attempt
// follows the backoff, so that an app connecting on every notification or delegate call cannot
// make the listener hammer the platform. A reconnect already waiting serves the request too.
void EventListener::replaceSocket() {
  if (reconnectScheduled_) {
    return;
  }
  if (!current_) {
    return open();
  }
  reconnectAfter(forgetSocket());
}

void EventListener::open() {
  forgetSocket();
  const std::uint64_t socketId = ++lastSocketId_;
  const std::weak_ptr<EventListener> weak = weak_from_this();
  const auto onSelf = [weak, socketId](auto action) {
    return [weak, socketId, action](auto&&... arguments) {
      if (auto self = weak.lock()) {
        action(*self, socketId, std::forward<decltype(arguments)>(arguments)...);
      }
    };
  };
  WebSocketEvents events{
      .didConnect = onSelf([](EventListener& self, std::uint64_t id) { self.socketConnected(id); }),
      .didDisconnect =
          onSelf([](EventListener& self, std::uint64_t id) { self.socketDisconnected(id); }),
      .didReceiveText = onSelf([](EventListener& self, std::uint64_t id, std::string text) {
        self.frameReceived(id, std::move(text));
      })};
  current_ = Connection{
      .socket = std::make_unique<WebSocket>(
          eventSocketAddress(Constants::serverAddress(), platform::device()->identifierForVendor()),
          std::vector<std::string>{"chat", "superchat"}, std::move(events)),
      .id = socketId,
      .opened = false};
  current_->socket->connect();
}

void EventListener::closeOpenSocket() {
  if (current_ && current_->opened) {
    current_->socket->disconnect();
  }
}

// The app heard of the socket's connection, so it hears of its end too, before anything that
// follows; a background task waiting for the socket's close has nothing left to wait for. Returns
// how long after its opening the connection heard the platform (nothing when it never opened).
std::optional<std::chrono::milliseconds> EventListener::forgetSocket() {
  if (!current_) {
    return std::nullopt;
  }
  const auto heardFor = current_->heardFor();
  current_.reset();  // closes the socket
  if (heardFor) {
    postNotification(ZelvoraEventListener::websocketDisconnectedNotification);
  }
  endBackgroundTask();
  return heardFor;
}

// Closes the connection, open or opening, inside a background task that its reported end
// finishes; with nothing to close the task ends at once. A task of an earlier entry still
// running ends here.
void EventListener::enterBackground() {
  endBackgroundTask();
  const std::weak_ptr<EventListener> weak = weak_from_this();
  auto tasks = platform::backgroundTasks();
  const auto task = std::make_shared<platform::BackgroundTaskId>();
  *task = tasks->begin([weak, task] {
    if (auto self = weak.lock()) {
      self->endBackgroundTask(*task);
    }
  });
  backgroundTask_ = *task;
  inBackground_ = true;
  resyncDue_ = true;
  cancelScheduledReconnect();
  if (current_) {
    current_->socket->disconnect();
  } else {
    endBackgroundTask();
  }
}

void EventListener::enterForeground() {
  inBackground_ = false;
  connectAfresh();
}

void EventListener::endBackgroundTask(std::optional<platform::BackgroundTaskId> onlyThis) {
  if (backgroundTask_ && (!onlyThis || *onlyThis == *backgroundTask_)) {
    platform::backgroundTasks()->end(*backgroundTask_);
    backgroundTask_.reset();
  }
}

// The listener keeps no connection while the app is in the background. One heard of only then
// (its opening raced the app's leaving, or the app asked for it there) is closed, never reported
// open, and leaves the catch-up to the next return, whose connection hears what the platform pushes
// from then on. Its end is reported as that of a socket that never opened.
void EventListener::socketConnected(std::uint64_t socketId) {
  if (!isCurrent(socketId)) {
    return;
  }
  if (inBackground_) {
    return current_->socket->disconnect();
  }
  current_->opened = true;
  postNotification(ZelvoraEventListener::websocketConnectedNotification);
  if (resyncDue_) {
    resyncDue_ = false;
    startResync();
  }
}

void EventListener::socketDisconnected(std::uint64_t socketId) {
  if (!isCurrent(socketId)) {
    return;
  }
  const auto heardFor = current_->heardFor();
  current_.reset();
  postNotification(ZelvoraEventListener::websocketDisconnectedNotification);
  endBackgroundTask();
  if (!inBackground_) {
    reconnectAfter(heardFor);
  }
}

void EventListener::reconnectAfter(std::optional<std::chrono::milliseconds> heardFor) {
  const auto delay = backoff_.delayAfterEnd(heardFor);
  if (delay.count() == 0) {
    return open();
  }
  const std::uint64_t ticket = ++reconnectTicket_;
  reconnectScheduled_ = true;
  platform::mainQueue()->postAfter(delay, [weak = weak_from_this(), ticket] {
    auto self = weak.lock();
    if (self && self->reconnectTicket_ == ticket) {
      self->reconnectScheduled_ = false;
      self->open();
    }
  });
}

void EventListener::cancelScheduledReconnect() {
  ++reconnectTicket_;
  reconnectScheduled_ = false;
}

void EventListener::frameReceived(std::uint64_t socketId, std::string text) {
  if (!isCurrent(socketId)) {
    return;
  }
  if (auto message = parseEventMessage(std::move(text))) {
    handle(*message);
  }
}

}  // namespace zelvora::internal
