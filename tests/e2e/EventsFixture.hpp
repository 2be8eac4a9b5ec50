#pragma once

#include "EventListener.hpp"
#include "Platform/Application.hpp"
#include "Platform/Device.hpp"
#include "WebSocket.hpp"
#include "fake_platform/EventSocket.hpp"
#include "support/PlatformFixture.hpp"
#include "support/StoreFixtures.hpp"

#include <zelvora/ModelEncoding.hpp>
#include <zelvora/NotificationCenter.hpp>
#include <zelvora/Store.hpp>
#include <zelvora/ZelvoraEventListener.hpp>
#include <zelvora/models/Models.hpp>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <algorithm>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zelvora::test {

using Json = nlohmann::json;

inline constexpr const char* kDeviceId = "5D3C2F3E-0B8A-4C51-9A8E-2F6B1C7D9E00";

class FixedDevice final : public platform::Device {
 public:
  std::optional<std::string> identifierForVendor() override { return identifier; }
  std::optional<std::string> identifier = kDeviceId;
};

// Background tasks that remember how often each one was ended.
class RecordingBackgroundTasks final : public platform::BackgroundTasks {
 public:
  platform::BackgroundTaskId begin(std::function<void()> expiry) override {
    running_[++lastId_] = std::move(expiry);
    return lastId_;
  }
  void end(platform::BackgroundTaskId id) override {
    ++ends_[id];
    running_.erase(id);
  }
  void expireAll() override {
    auto running = running_;
    for (auto& [id, expiry] : running) {
      expiry();
    }
  }

  std::size_t begun() const { return lastId_; }
  std::size_t running() const { return running_.size(); }
  // Whether every task begun was ended, and none more than once.
  bool eachEndedOnce() const {
    return ends_.size() == lastId_ &&
           std::all_of(ends_.begin(), ends_.end(), [](const auto& e) { return e.second == 1; });
  }

 private:
  platform::BackgroundTaskId lastId_ = 0;
  std::map<platform::BackgroundTaskId, std::function<void()>> running_;
  std::map<platform::BackgroundTaskId, int> ends_;
};

// Writes each delegate call into the log, as "<method> <what it received>", and keeps the models.
class RecordingDelegate : public ZelvoraEventDelegate {
 public:
  explicit RecordingDelegate(std::vector<std::string>& log) : log_(log) {}

  void didUpdateBasket(std::shared_ptr<Basket> basket) override {
    record("didUpdateBasket " + basket->id.value_or("?"));
    baskets.push_back(std::move(basket));
  }
  void didReceiveReceipt(std::shared_ptr<BasketReceiptNotification> receipt) override {
    record("didReceiveReceipt " + receipt->id.value_or("?"));
    receipts.push_back(std::move(receipt));
  }
  void didReceivePostPaymentOffer(const std::string& imageUrl) override {
    record("didReceivePostPaymentOffer " + imageUrl);
  }
  void didCancelTransaction() override { record("didCancelTransaction"); }

  std::vector<std::shared_ptr<Basket>> baskets;
  std::vector<std::shared_ptr<BasketReceiptNotification>> receipts;
  bool calledOffTheMainThread = false;

 private:
  void record(std::string entry) {
    calledOffTheMainThread |= std::this_thread::get_id() != mainThread_;
    log_.push_back(std::move(entry));
  }

  std::vector<std::string>& log_;
  const std::thread::id mainThread_ = std::this_thread::get_id();
};

inline std::string eventFrame(std::string_view type, const Json& body) {
  return Json{{"type", type}, {"body", body}}.dump();
}

// What an event does to the Store.
enum class StoreEffect { unchanged, basketReplaced, transactionCleared };

// The SDK against a fresh fake platform, with a fresh event listener behind
// ZelvoraEventListener::shared() (reconnecting after a few milliseconds rather than seconds), a
// device with an identifier, and a log of the delegate's calls and the connection notifications.
class EventsTest : public PlatformTest {
 protected:
  static constexpr internal::ReconnectSettings kFastReconnect{
      .base = std::chrono::milliseconds(20),
      .cap = std::chrono::milliseconds(400),
      .stableAfter = std::chrono::milliseconds(200)};

  void SetUp() override {
    PlatformTest::SetUp();
    platform::setDeviceForTesting(device_);
    platform::setBackgroundTasksForTesting(tasks_);
    listener_ = internal::EventListener::create({.delegate = {}, .reconnect = kFastReconnect});
    // The listener used before goes, and its socket and reconnects with it.
    internal::exchangeInternalWebSocketListenerForTesting(listener_);
    ZelvoraEventListener::shared().setDelegate(delegate_);
    auto& center = NotificationCenter::defaultCenter();
    observers_ = {
        center.addObserver(std::string(ZelvoraEventListener::websocketConnectedNotification),
                           [this] { log_.push_back("connected"); }),
        center.addObserver(std::string(ZelvoraEventListener::websocketDisconnectedNotification),
                           [this] { log_.push_back("disconnected"); })};
  }

  void TearDown() override {
    for (auto token : observers_) {
      NotificationCenter::defaultCenter().removeObserver(token);
    }
    ZelvoraEventListener::shared().setDelegate({});
    internal::exchangeInternalWebSocketListenerForTesting(internal::EventListener::create());
    listener_.reset();
    PlatformTest::TearDown();
    platform::setBackgroundTasksForTesting(nullptr);
    platform::setDeviceForTesting(nullptr);
    internal::setWebSocketIdleLimitForTesting(std::nullopt);
  }

  fake::EventSocketServer& events() { return platform_->events(); }

  std::size_t count(const std::string& entry) const {
    return static_cast<std::size_t>(std::count(log_.begin(), log_.end(), entry));
  }

  // Waits until the server holds one open socket and the app heard of `connections` connections.
  void awaitConnection(std::size_t connections = 1) {
    ASSERT_TRUE(runMainLoopUntil([&] {
      return events().openConnections() == 1 && count("connected") == connections;
    })) << "connections opened: "
        << count("connected");
  }

  // The notification the app heard last: "connected", "disconnected" or nothing.
  std::string lastNotification() const {
    const auto last = std::find_if(log_.rbegin(), log_.rend(), [](const auto& entry) {
      return entry == "connected" || entry == "disconnected";
    });
    return last == log_.rend() ? "" : *last;
  }

  // Waits until the connection the app last heard of is open, with the server too.
  void awaitOpen() {
    ASSERT_TRUE(runMainLoopUntil(
        [&] { return events().openConnections() == 1 && lastNotification() == "connected"; }));
  }

  void connect() {
    ZelvoraEventListener::shared().connect();
    awaitConnection();
  }

  // Pushes the frames, then an offer that marks their end, and returns what the log gained before
  // that offer arrived.
  std::vector<std::string> heardAfter(const std::vector<std::string>& frames) {
    const auto start = log_.size();
    const auto ends = count(kEndOfFrames);
    for (const auto& frame : frames) {
      events().pushText(frame);
    }
    events().pushText(eventFrame("post-purchase-offer", {{"image-url", "end"}}));
    EXPECT_TRUE(runMainLoopUntil([&] { return count(kEndOfFrames) > ends; }));
    std::vector<std::string> heard(log_.begin() + static_cast<std::ptrdiff_t>(start), log_.end());
    if (!heard.empty()) {
      heard.pop_back();
    }
    return heard;
  }

  void expectStoreEffect(StoreEffect effect, const internal::StoreValues& before) {
    const auto after = internal::StoreState::snapshot();
    switch (effect) {
      case StoreEffect::unchanged:
        EXPECT_EQ(after, before);
        break;
      case StoreEffect::basketReplaced:
        ASSERT_FALSE(delegate_->baskets.empty());
        // The Store keeps a copy of its own of the basket the delegate received.
        EXPECT_NE(after.basket, before.basket);
        EXPECT_EQ(after.basket->id, delegate_->baskets.back()->id);
        EXPECT_NE(&*after.basket, delegate_->baskets.back().get());
        EXPECT_EQ(after.session, before.session);
        EXPECT_EQ(after.productOffer, before.productOffer);
        break;
      case StoreEffect::transactionCleared:
        auto expected = before;
        expected.session = nullptr;
        expected.basket = nullptr;
        expected.cleanUpDravixData();
        EXPECT_EQ(after, expected);
        break;
    }
  }

  static constexpr const char* kEndOfFrames = "didReceivePostPaymentOffer end";

  std::vector<std::string> log_;
  std::shared_ptr<FixedDevice> device_ = std::make_shared<FixedDevice>();
  std::shared_ptr<RecordingBackgroundTasks> tasks_ = std::make_shared<RecordingBackgroundTasks>();
  std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>(log_);
  std::shared_ptr<internal::EventListener> listener_;

 private:
  std::vector<NotificationCenter::Token> observers_;
};

}  // namespace zelvora::test
