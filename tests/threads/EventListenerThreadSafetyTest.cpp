// The event listener used from many threads while the platform pushes events: the app may connect,
// disconnect, set its delegate and read the Store from any thread. Runs under ThreadSanitizer too,
// so nothing here loads JavaScriptCore.
#include "Platform/MainQueue.hpp"
#include "e2e/EventsFixture.hpp"
#include "support/FakeScriptContext.hpp"

#include <zelvora/Application.hpp>

#include <atomic>
#include <thread>

namespace zelvora::test {
namespace {

constexpr int kCallers = 4;
constexpr int kRounds = 40;

using EventListenerThreadSafety = WithoutScriptEngine<EventsTest>;

TEST_F(EventListenerThreadSafety, CallsFromManyThreadsLeaveOneConnectionAndDeliverOnMain) {
  connect();
  std::vector<std::string> otherLog;
  const auto other = std::make_shared<RecordingDelegate>(otherLog);
  std::atomic<int> finished{0};
  std::vector<std::thread> callers;
  for (int caller = 0; caller < kCallers; ++caller) {
    callers.emplace_back([&, caller] {
      auto& listener = ZelvoraEventListener::shared();
      for (int round = 0; round < kRounds; ++round) {
        (round + caller) % 3 == 0 ? listener.disconnect() : listener.connect();
        listener.setDelegate(round % 2 == 0 ? std::static_pointer_cast<ZelvoraEventDelegate>(other)
                                            : delegate_);
        (void)listener.delegate();
        (void)Store::basket();
        events().pushText(eventFrame("basket-update", {{"id", "b"}, {"state", "new"}}));
      }
      ++finished;
    });
  }
  EXPECT_TRUE(runMainLoopUntil([&] { return finished == kCallers; }, std::chrono::seconds(30)));
  for (auto& thread : callers) {
    thread.join();
  }
  ZelvoraEventListener::shared().setDelegate(delegate_);
  ZelvoraEventListener::shared().connect();
  awaitOpen();
  runMainLoopFor(std::chrono::milliseconds(300));
  EXPECT_EQ(events().openConnections(), 1u);
  EXPECT_EQ(lastNotification(), "connected");
  EXPECT_FALSE(delegate_->calledOffTheMainThread);
  EXPECT_FALSE(other->calledOffTheMainThread);
}

// Called on the main thread, a lifecycle call acts before it returns; called elsewhere, it acts
// later, on the main thread.
TEST_F(EventListenerThreadSafety, LifecycleCallsActOnTheMainThread) {
  connect();
  std::vector<std::thread::id> observedOn;
  const auto observer = NotificationCenter::defaultCenter().addObserver(
      std::string(Application::didEnterBackgroundNotification),
      [&] { observedOn.push_back(std::this_thread::get_id()); });
  std::thread(Application::didEnterBackground).join();
  EXPECT_EQ(tasks_->begun(), 0u);
  ASSERT_TRUE(runMainLoopUntil([&] { return tasks_->begun() == 1; }));
  Application::didEnterBackground();
  EXPECT_EQ(tasks_->begun(), 2u);
  NotificationCenter::defaultCenter().removeObserver(observer);
  EXPECT_EQ(observedOn, std::vector<std::thread::id>(2, std::this_thread::get_id()));

  std::atomic<int> finished{0};
  std::vector<std::thread> callers;
  for (int caller = 0; caller < kCallers; ++caller) {
    callers.emplace_back([&, caller] {
      for (int round = 0; round < kRounds; ++round) {
        constexpr void (*calls[])() = {Application::didEnterBackground,
                                       Application::backgroundTimeWillExpire,
                                       Application::willEnterForeground};
        calls[(round + caller) % std::size(calls)]();
      }
      ++finished;
    });
  }
  EXPECT_TRUE(runMainLoopUntil([&] { return finished == kCallers; }, std::chrono::seconds(30)));
  for (auto& thread : callers) {
    thread.join();
  }
  bool handedOver = false;  // once this runs, so has every call the threads handed over
  platform::mainQueue()->post([&] { handedOver = true; });
  ASSERT_TRUE(runMainLoopUntil([&] { return handedOver; }));
  Application::willEnterForeground();
  awaitOpen();
  runMainLoopFor(std::chrono::milliseconds(300));
  EXPECT_EQ(events().openConnections(), 1u);
  EXPECT_EQ(lastNotification(), "connected");
  EXPECT_EQ(tasks_->running(), 0u);
}

}  // namespace
}  // namespace zelvora::test
