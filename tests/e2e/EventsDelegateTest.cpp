// How delegate calls reach the app: queued on the main queue, never made inside the code that
// handled the event, and sent to the delegate set when the call runs, if it is still alive.
#include "Platform/MainQueue.hpp"
#include "e2e/EventsFixture.hpp"

#include <deque>
#include <mutex>

namespace zelvora::test {
namespace {

// A main queue the test drains task by task.
class ManualMainQueue final : public platform::MainQueue {
 public:
  void post(Task task) override {
    std::lock_guard lock(mutex_);
    tasks_.push_back(std::move(task));
  }
  void postAfter(std::chrono::milliseconds, Task task) override { post(std::move(task)); }

  std::size_t size() {
    std::lock_guard lock(mutex_);
    return tasks_.size();
  }
  void runNext() {
    Task task;
    {
      std::lock_guard lock(mutex_);
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    task();
  }
  void runAll() {
    while (size() > 0) {
      runNext();
    }
  }

 private:
  std::mutex mutex_;
  std::deque<Task> tasks_;
};

// Hears only cancellations.
class CancellationsOnly final : public ZelvoraEventDelegate {
 public:
  void didCancelTransaction() override { ++cancellations; }
  int cancellations = 0;
};

class EventDelegate : public EventsTest {
 protected:
  // Connects, then has the frame handled through a queue of the test's own and runs `between`
  // after the handling, before the delegate's call.
  void handleThen(const std::function<void()>& between) {
    connect();
    const auto queue = std::make_shared<ManualMainQueue>();
    platform::setMainQueueForTesting(queue);
    events().pushText(eventFrame("post-purchase-offer", {{"image-url", "offer"}}));
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (queue->size() == 0 && std::chrono::steady_clock::now() < deadline) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    ASSERT_EQ(queue->size(), 1u);
    queue->runNext();  // the frame: handled, the call queued
    EXPECT_EQ(count("didReceivePostPaymentOffer offer"), 0u);
    between();
    queue->runAll();
    platform::setMainQueueForTesting(nullptr);
  }
};

TEST_F(EventDelegate, TheCallRunsLaterAndReachesTheDelegateOfThatMoment) {
  std::vector<std::string> replacementLog;
  const auto replacement = std::make_shared<RecordingDelegate>(replacementLog);
  handleThen([&] { ZelvoraEventListener::shared().setDelegate(replacement); });
  EXPECT_EQ(count("didReceivePostPaymentOffer offer"), 0u);
  EXPECT_EQ(replacementLog, std::vector<std::string>{"didReceivePostPaymentOffer offer"});
}

TEST_F(EventDelegate, ADelegateReleasedBeforeTheCallRunsMissesIt) {
  handleThen([&] { delegate_.reset(); });
  EXPECT_EQ(count("didReceivePostPaymentOffer offer"), 0u);
  EXPECT_EQ(ZelvoraEventListener::shared().delegate(), nullptr);
}

TEST_F(EventDelegate, ADelegateHearsOnlyWhatItImplements) {
  const auto partial = std::make_shared<CancellationsOnly>();
  ZelvoraEventListener::shared().setDelegate(partial);
  connect();
  events().pushText(eventFrame("basket-update", {{"id", "b-1"}, {"state", "new"}}));
  events().pushText(eventFrame("basket-update", {{"state", "cancel-transaction"}}));
  EXPECT_TRUE(runMainLoopUntil([&] { return partial->cancellations == 1; }));
  EXPECT_EQ(Store::session(), nullptr);
}

TEST(NotificationCenterTest, CallsTheNamesObserversInOrderUntilRemoved) {
  NotificationCenter center;
  std::vector<std::string> calls;
  const auto first = center.addObserver("a", [&] { calls.push_back("first"); });
  center.addObserver("a", [&] { throw std::runtime_error("an observer's failure"); });
  center.addObserver("b", [&] { calls.push_back("other name"); });
  center.addObserver("a", [&] { calls.push_back("last"); });
  center.post("a");
  center.removeObserver(first);
  center.post("a");
  EXPECT_EQ(calls, (std::vector<std::string>{"first", "last", "last"}));
}

TEST(ModelEncodingTest, EncodesTheEventModelsOrSaysWhyNot) {
  BasketReceiptNotification receipt;
  receipt.id = "r-1";
  receipt.reconciledTotal = ModelList<ReconciledTotal>{};
  EXPECT_EQ(Json::parse(encodeModelToJSON(receipt).json.value()),
            (Json{{"id", "r-1"}, {"reconciled-total", Json::array()}}));
  EXPECT_EQ(encodeModelToJSON(BasketReceipt{}).json, "{}");

  Basket basket;
  basket.items = ModelList<BasketLineItem>{std::make_shared<BasketLineItem>()};
  basket.items->front()->qty = std::numeric_limits<double>::infinity();
  const auto unencodable = encodeModelToJSON(basket);
  EXPECT_FALSE(unencodable.json);
  ASSERT_TRUE(unencodable.error);
  EXPECT_EQ(unencodable.error->domain(), Error::jsonDomain);
}

}  // namespace
}  // namespace zelvora::test
