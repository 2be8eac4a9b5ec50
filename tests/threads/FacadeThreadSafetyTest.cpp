// The facade's calls made from many threads at once while the Store changes under them, and the app
// changing what it reads while completions replace the Store's values. Runs under ThreadSanitizer
// too, so nothing here may load JavaScriptCore: requests go out unsigned and the platform refuses
// them unless a test cans the answer; every path must end in one completion all the same.
#include "Platform/MainQueue.hpp"
#include "e2e/FacadeFixture.hpp"
#include "support/FakeScriptContext.hpp"

#include <algorithm>
#include <atomic>
#include <thread>

namespace zelvora::test {
namespace {

constexpr int kCallers = 4;
constexpr int kRounds = 25;
constexpr int kCallsPerRound = 5;

using FacadeThreadSafety = WithoutScriptEngine<FacadeTest>;

// Each slot counts the calls of one completion.
class CompletionCounts {
 public:
  explicit CompletionCounts(int size) : counts_(size) {}

  template <class T>
  Completion<T> slot(int index) {
    return [this, index](std::shared_ptr<T>, std::optional<Error>) { ++counts_[index]; };
  }

  bool eachCalledOnce() const {
    return std::all_of(counts_.begin(), counts_.end(),
                       [](const auto& count) { return count == 1; });
  }

 private:
  std::vector<std::atomic<int>> counts_;
};

TEST_F(FacadeThreadSafety, CallsFromManyThreadsWhileTheStoreChangesEachCompleteOnce) {
  CompletionCounts completions(kCallers * kRounds * kCallsPerRound);
  // GLib's own locking is invisible to the race detector: the main queue attaches its GLib source
  // here, before any thread posts to it.
  platform::mainQueue();
  std::atomic<bool> stop{false};
  std::thread storeWriter([&] {
    auto authenticated = std::make_shared<Session>();
    authenticated->id = "s-1";
    authenticated->shopperId = "shopper-1";
    authenticated->state = Session::State::Authenticated;
    auto basket = std::make_shared<Basket>();
    basket->id = "b-1";
    for (bool on = true; !stop; on = !on) {
      internal::StoreState::update([&](internal::StoreValues& s) {
        s.session = on ? authenticated : nullptr;
        s.basket = on ? basket : nullptr;
      });
    }
  });
  std::vector<std::thread> callers;
  for (int caller = 0; caller < kCallers; ++caller) {
    callers.emplace_back([&, caller] {
      for (int round = 0; round < kRounds; ++round) {
        const int first = (caller * kRounds + round) * kCallsPerRound;
        api_.authenticateShopper("shopper", "token", completions.slot<Session>(first));
        api_.getShopper(completions.slot<Shopper>(first + 1));
        api_.createBasket(completions.slot<Basket>(first + 2));
        api_.getPaymentReceipt(completions.slot<BasketReceipt>(first + 3));
        api_.getReceipts(completions.slot<ModelList<Receipt>>(first + 4));
      }
    });
  }
  for (auto& caller : callers) {
    caller.join();
  }
  stop = true;
  storeWriter.join();
  EXPECT_TRUE(
      runMainLoopUntil([&] { return completions.eachCalledOnce(); }, std::chrono::seconds(60)));
  runMainLoopFor(std::chrono::milliseconds(50));
  EXPECT_TRUE(completions.eachCalledOnce());
}

TEST_F(FacadeThreadSafety, TheAppChangesTheBasketsItReadsWhileCompletionsReplaceTheStoredOne) {
  platform::mainQueue();
  // A canned answer, so that the unsigned requests succeed and each one replaces the stored basket.
  answer("POST", "/api/client/basket", 200, R"({"id": "b-2", "items": [{"sku": "sku-1"}]})");
  auto session = std::make_shared<Session>();
  session->id = "s-1";
  session->state = Session::State::Authenticated;
  internal::StoreState::set(&internal::StoreValues::session, session);
  std::atomic<bool> stop{false};
  std::atomic<int> changesSeen{0};
  std::vector<std::thread> readers;
  for (int reader = 0; reader < 2; ++reader) {
    readers.emplace_back([&] {
      while (!stop) {
        if (const auto basket = Store::basket()) {
          const auto& item = basket->items->front();
          changesSeen += item->sku != "sku-1";
          item->sku = "changed by the app";
        }
      }
    });
  }
  constexpr int kCalls = kCallers * kRounds;
  int completed = 0;
  for (int call = 0; call < kCalls; ++call) {
    api_.createBasket([&](std::shared_ptr<Basket> basket, std::optional<Error> error) {
      EXPECT_FALSE(error);
      if (basket) {
        basket->id = "changed by the app";
        basket->items->front()->sku = "changed by the app";
      }
      ++completed;
    });
  }
  EXPECT_TRUE(runMainLoopUntil([&] { return completed == kCalls; }, std::chrono::seconds(60)));
  stop = true;
  for (auto& reader : readers) {
    reader.join();
  }
  EXPECT_EQ(changesSeen, 0);
  EXPECT_EQ(Store::basket()->id, "b-2");
}

}  // namespace
}  // namespace zelvora::test
