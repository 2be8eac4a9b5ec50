// The catch-up after a background period: the stored basket looked up again (retried once) and
// handled by its state, the receipt of a completed transaction converted for the delegate.
#include "EventMessages.hpp"
#include "Models/Models.hpp"
#include "e2e/EventsFixture.hpp"

#include <zelvora/Application.hpp>

namespace zelvora::test {
namespace {

using std::chrono::milliseconds;

struct Reply {
  int status = 200;
  Json body;
  milliseconds delay{0};  // how long the platform holds its answer
};

Reply failure() {
  return {500, nullptr};
}

struct ResyncCase {
  std::string name;
  std::vector<Reply> lookups;  // in the order the platform gives them
  std::optional<Reply> receipt;
  std::vector<std::string> heard;
  StoreEffect effect = StoreEffect::unchanged;
};

Json basketIn(std::string_view state, const std::string& id) {
  return {{"id", id}, {"state", state}};
}

Json basketReceipt() {
  return {{"id", "basket-receipt"},
          {"product-offers", {{{"id", "basket-offer"}}}},
          {"offers", {{{"id", "sku-offer"}}}},
          {"total-payments", {{{"payment-instrument-id", "card-1"}}}},
          {"summary", {{"total", 1500}}},
          {"payment-type-offers", {{{"id", "type-offer"}}}},
          {"items", {{{"sku", "tee"}}}},
          {"reconciled-total", {{{"sku", "tee"}}}},
          {"receipt",
           {{"id", "receipt-1"},
            {"product-offers", {{{"id", "receipt-offer"}}}},
            {"payments", {{{"card-alias", "Visa"}}}},
            {"merchant-id", "merchant-1"},
            {"transaction-info", {{"merchant-transaction-id", "txn-1"}}},
            {"created", "2025-01-06T09:00:00.000Z"},
            {"offers", {{{"id", "receipt-sku-offer"}}}},
            {"summary", {{"total", 1}}}}}};
}

std::vector<ResyncCase> resyncCases(const std::string& id) {
  const std::string updated = "didUpdateBasket " + id;
  const auto replaced = StoreEffect::basketReplaced;
  const auto cleared = StoreEffect::transactionCleared;
  return {
      {"updated", {{200, basketIn("update-basket", id)}}, {}, {updated}, replaced},
      {"new", {{200, basketIn("new", id)}}, {}, {updated}, replaced},
      {"scanned", {{200, basketIn("complete-scan", id)}}, {}, {updated}, replaced},
      {"at a point of sale", {{200, basketIn("associate-pos", id)}}, {}, {}},
      {"paying", {{200, basketIn("initiate-payment", id)}}, {}, {}},
      {"ready", {{200, basketIn("ready-for-payment", id)}}, {}, {}},
      {"in an unknown state", {{200, basketIn("lost", id)}}, {}, {}},
      {"cancelled",
       {{200, basketIn("cancel-transaction", id)}},
       {},
       {"didCancelTransaction"},
       cleared},
      {"failing once", {failure(), {200, basketIn("update-basket", id)}}, {}, {updated}, replaced},
      {"failing twice", {failure(), failure()}, {}, {}},
      {"paid",
       {{200, basketIn("complete-transaction", id)}},
       Reply{200, basketReceipt()},
       {"didReceiveReceipt receipt-1"},
       cleared},
      {"paid, without its receipt", {{200, basketIn("complete-transaction", id)}}, failure(), {}},
  };
}

class Resync : public EventsTest {
 protected:
  void SetUp() override {
    EventsTest::SetUp();
    // Authentication connects the listener.
    const auto session =
        await<Session>([&](auto done) { api_.authenticateShopper("shopper-7", "auth-7", done); });
    ASSERT_FALSE(session.error);
    ASSERT_FALSE(await<Basket>([&](auto done) { api_.createBasket(done); }).error);
    awaitOpen();
    stored_ = internal::StoreState::snapshot();
    basketPath_ = "/api/client/basket/" + stored_.basket->id.value();
  }

  // Stores the signed-in session and basket again, goes to the background and prepares the
  // platform's answers for the return.
  void prepare(const ResyncCase& test) {
    awaitOpen();
    internal::StoreState::update([&](internal::StoreValues& values) { values = stored_; });
    Application::didEnterBackground();
    ASSERT_TRUE(runMainLoopUntil(
        [&] { return events().openConnections() == 0 && lastNotification() == "disconnected"; }));
    platform_->clearScripts();
    platform_->clearRequests();
    for (auto reply = test.lookups.rbegin(); reply != test.lookups.rend(); ++reply) {
      platform_->script("GET", basketPath_, answer(*reply));
    }
    if (test.receipt) {
      platform_->script("GET", basketPath_ + "/receipt", answer(*test.receipt));
    }
    log_.clear();
  }

  // Returns to the foreground and waits for the requests the re-sync should make.
  std::vector<std::string> returnAndListen(std::size_t lookups, std::size_t receipts) {
    Application::willEnterForeground();
    EXPECT_TRUE(runMainLoopUntil([&] {
      return requestsTo(basketPath_).size() == lookups &&
             requestsTo(basketPath_ + "/receipt").size() == receipts;
    }));
    runMainLoopFor(milliseconds(50));
    return calls();
  }

  // The delegate calls heard since prepare().
  std::vector<std::string> calls() const {
    std::vector<std::string> calls;
    std::copy_if(log_.begin(), log_.end(), std::back_inserter(calls),
                 [](const auto& entry) { return entry.starts_with("did"); });
    return calls;
  }

  // The platform answers the basket's lookup in this state only after a while, and has its
  // receipt.
  void holdLookUp(std::string_view state) {
    auto held = answer({200, basketIn(state, *stored_.basket->id)});
    held.delay = kHeld;
    platform_->script("GET", basketPath_, held);
    platform_->script("GET", basketPath_ + "/receipt", answer({200, basketReceipt()}));
  }

  // Waits, with the main loop held up, until done() holds (10 s at most); returns done().
  static bool busyUntil(const std::function<bool()>& done) {
    for (int waited = 0; !done() && waited < 10'000; ++waited) {
      std::this_thread::sleep_for(milliseconds(1));
    }
    return done();
  }

  static constexpr milliseconds kHeld{300};

  static fake::ScriptedReply answer(const Reply& reply) {
    return {.status = reply.status,
            .body = reply.body.is_null() ? "" : reply.body.dump(),
            .delay = reply.delay,
            .times = 1};
  }

  internal::StoreValues stored_;
  std::string basketPath_;
};

TEST_F(Resync, TheReturnLooksTheBasketUpAndHandlesItsState) {
  for (const auto& test : resyncCases(stored_.basket->id.value())) {
    SCOPED_TRACE(test.name);
    ASSERT_NO_FATAL_FAILURE(prepare(test));
    EXPECT_EQ(returnAndListen(test.lookups.size(), test.receipt ? 1 : 0), test.heard);
    expectStoreEffect(test.effect, stored_);
  }
  EXPECT_TRUE(tasks_->eachEndedOnce());
}

TEST_F(Resync, NoStoredBasketIdMeansNoLookUp) {
  for (const auto& id : {std::optional<std::string>(""), std::optional<std::string>()}) {
    ASSERT_NO_FATAL_FAILURE(prepare({}));
    auto basket = std::make_shared<Basket>();
    basket->id = id;
    internal::StoreState::set(&internal::StoreValues::basket, basket);
    Application::willEnterForeground();
    awaitOpen();
    runMainLoopFor(milliseconds(50));
    EXPECT_EQ(platform_->requests().size(), 0u);
  }
}

// An event that replaced the stored basket while the lookup was under way knows better.
TEST_F(Resync, ActsOnlyWhileTheStoredBasketIsTheOneItLookedUp) {
  ASSERT_NO_FATAL_FAILURE(prepare({}));
  auto reply = answer({200, basketIn("cancel-transaction", *stored_.basket->id)});
  reply.delay = milliseconds(200);
  platform_->script("GET", basketPath_, reply);
  Application::willEnterForeground();
  awaitOpen();
  events().pushText(eventFrame("basket-update", basketIn("update-basket", "newer")));
  EXPECT_TRUE(runMainLoopUntil([&] { return requestsTo(basketPath_).size() == 1; }));
  runMainLoopFor(milliseconds(300));
  EXPECT_EQ(log_, (std::vector<std::string>{"connected", "didUpdateBasket newer"}));
  EXPECT_EQ(Store::basket()->id, "newer");
}

// The app's own calls store new copies of the same basket while the lookup is under way: the
// catch-up still acts on it.
TEST_F(Resync, TheAppsOwnCallsOnTheSameBasketDoNotStopTheCatchUp) {
  const struct {
    std::string state;
    std::vector<std::string> heard;
  } cases[] = {{"cancel-transaction", {"didCancelTransaction"}},
               {"complete-transaction", {"didReceiveReceipt receipt-1"}}};
  for (const auto& test : cases) {
    SCOPED_TRACE(test.state);
    ASSERT_NO_FATAL_FAILURE(prepare({}));
    holdLookUp(test.state);
    Application::willEnterForeground();
    ASSERT_TRUE(runMainLoopUntil([&] { return requestsTo(basketPath_).size() == 1; }));
    ASSERT_FALSE(await<Basket>([&](auto done) { api_.getBasket(stored_.basket->id, done); }).error);
    ASSERT_NE(internal::StoreState::get(&internal::StoreValues::basket), stored_.basket);
    EXPECT_TRUE(runMainLoopUntil([&] { return calls() == test.heard; }));
    expectStoreEffect(StoreEffect::transactionCleared, stored_);
  }
}

// An event stored another basket while the lookup was under way: the looked-up one is neither
// stored nor delivered, nor its receipt looked up.
TEST_F(Resync, AnotherBasketStoredDuringTheLookUpIsKept) {
  for (const char* state : {"update-basket", "complete-scan", "complete-transaction"}) {
    SCOPED_TRACE(state);
    ASSERT_NO_FATAL_FAILURE(prepare({}));
    holdLookUp(state);
    Application::willEnterForeground();
    awaitOpen();
    events().pushText(eventFrame("basket-update", basketIn("update-basket", "newer")));
    ASSERT_TRUE(runMainLoopUntil([&] { return requestsTo(basketPath_).size() == 1; }));
    runMainLoopFor(kHeld + milliseconds(200));
    EXPECT_EQ(calls(), std::vector<std::string>{"didUpdateBasket newer"});
    EXPECT_EQ(Store::basket()->id, "newer");
    EXPECT_EQ(requestsTo(basketPath_ + "/receipt").size(), 0u);
  }
}

// An event stored a later copy of the same basket while the lookup was under way: the lookup's
// older answer neither replaces it nor reaches the delegate after it.
TEST_F(Resync, ALaterCopyOfTheSameBasketStoredDuringTheLookUpIsKept) {
  ASSERT_NO_FATAL_FAILURE(prepare({}));
  holdLookUp("update-basket");
  Application::willEnterForeground();
  awaitOpen();
  const auto id = *stored_.basket->id;
  events().pushText(eventFrame("basket-update", basketIn("complete-scan", id)));
  ASSERT_TRUE(runMainLoopUntil([&] { return requestsTo(basketPath_).size() == 1; }));
  runMainLoopFor(kHeld + milliseconds(200));
  EXPECT_EQ(calls(), std::vector<std::string>{"didUpdateBasket " + id});
  EXPECT_EQ(delegate_->baskets.back()->state, BasketFlowState::completeScan);
  EXPECT_EQ(Store::basket()->state, BasketFlowState::completeScan);
}

// The basket is read twice, each answer held, in order: first by `firstRead`, then by the catch-up
// of a return. The later read's answer stands, in the Store and at the delegate.
TEST_F(Resync, TheLaterOfTwoReadsOfTheBasketStands) {
  const auto id = *stored_.basket->id;
  const std::pair<std::string, std::function<void()>> cases[] = {
      {"an earlier catch-up", [] { Application::willEnterForeground(); }},
      {"the app's own lookup", [&] { api_.getBasket(id, [](auto, auto) {}); }},
  };
  for (const auto& [name, firstRead] : cases) {
    SCOPED_TRACE(name);
    ASSERT_NO_FATAL_FAILURE(prepare({"",
                                     {{200, basketIn("update-basket", id), 2 * kHeld},
                                      {200, basketIn("complete-scan", id), 3 * kHeld}},
                                     {},
                                     {}}));
    firstRead();
    ASSERT_TRUE(runMainLoopUntil([&] { return requestsTo(basketPath_).size() == 1; }));
    Application::didEnterBackground();
    Application::willEnterForeground();
    ASSERT_TRUE(runMainLoopUntil([&] { return requestsTo(basketPath_).size() == 2; }));
    ASSERT_TRUE(calls().empty()) << "the first answer came before the second read went out";
    EXPECT_TRUE(runMainLoopUntil([&] {
      return Store::basket()->state == BasketFlowState::completeScan &&
             !delegate_->baskets.empty() &&
             delegate_->baskets.back()->state == BasketFlowState::completeScan;
    }));
  }
}

// The return's connection opens while the main thread is busy, and the app is back in the
// background before the main thread hears of it: the app hears of no connection then, and the
// catch-up waits for the next return, which finds what the platform changed meanwhile.
TEST_F(Resync, AConnectionHeardOfBackInTheBackgroundLeavesTheCatchUpToTheNextReturn) {
  const auto id = *stored_.basket->id;
  ASSERT_NO_FATAL_FAILURE(prepare({"", {{200, basketIn("update-basket", id)}}, {}, {}}));
  Application::willEnterForeground();
  // A frame pushed once the platform holds the connection is read after the connection's report.
  ASSERT_TRUE(busyUntil([&] { return events().openConnections() == 1; }));
  events().pushText("ignored");
  ASSERT_TRUE(busyUntil([] { return internal::webSocketBacklogForTesting().frames > 0; }));
  Application::didEnterBackground();
  ASSERT_TRUE(runMainLoopUntil([&] { return count("disconnected") == 1; }));
  // A lookup made from the background would be answered as the platform stood then.
  runMainLoopUntil([&] { return !requestsTo(basketPath_).empty(); }, kHeld);
  platform_->script("GET", basketPath_, answer({200, basketIn("complete-scan", id)}));
  EXPECT_EQ(count("connected"), 0u);
  EXPECT_EQ(returnAndListen(1, 0), std::vector<std::string>{"didUpdateBasket " + id});
  EXPECT_EQ(Store::basket()->state, BasketFlowState::completeScan);
}

// The catch-up brings the receipt of a payment made in the background, and the platform's receipt
// event for it follows, then another receipt's.
TEST_F(Resync, EachReceiptReachesTheDelegateOnce) {
  const auto id = *stored_.basket->id;
  const auto receipt = [](const char* receiptId) {
    return eventFrame("basket-receipt-update", {{"id", receiptId}});
  };
  ASSERT_NO_FATAL_FAILURE(prepare(
      {"", {{200, basketIn("complete-transaction", id)}}, Reply{200, basketReceipt()}, {}}));
  ASSERT_EQ(returnAndListen(1, 1), std::vector<std::string>{"didReceiveReceipt receipt-1"});
  EXPECT_EQ(heardAfter({receipt("receipt-1"), receipt("receipt-2")}),
            std::vector<std::string>{"didReceiveReceipt receipt-2"});
}

// The first attempt after the return fails: the listener keeps trying, and the catch-up follows
// the first connection.
TEST_F(Resync, ARefusedReturnReconnectsAndStillCatchesUp) {
  ASSERT_NO_FATAL_FAILURE(
      prepare({.name = "",
               .lookups = {{200, basketIn("complete-scan", *stored_.basket->id)}},
               .receipt = std::nullopt,
               .heard = {}}));
  events().refuseUpgrades(503);
  const auto attempts = events().upgradeAttempts();
  Application::willEnterForeground();
  ASSERT_TRUE(runMainLoopUntil([&] { return events().upgradeAttempts() >= attempts + 2; }));
  events().refuseUpgrades(std::nullopt);
  awaitConnection();
  EXPECT_TRUE(runMainLoopUntil(
      [&] { return count("didUpdateBasket " + stored_.basket->id.value()) == 1; }));
  EXPECT_EQ(requestsTo(basketPath_).size(), 1u);
}

TEST(ReceiptConversion, TakesTheBasketReceiptsTotalsAndTheReceiptsOwnRecord) {
  auto full = Decoders::decode<std::shared_ptr<BasketReceipt>>(basketReceipt());
  ASSERT_TRUE(full);
  const auto notification =
      internal::convertBasketReceiptToBasketReceiptNotification(*full.value());
  EXPECT_EQ(notification->offers->at(0)->id, "sku-offer");
  EXPECT_EQ(notification->totalPayments->at(0)->paymentInstrumentId, "card-1");
  EXPECT_EQ(notification->summary->total, 1500);
  EXPECT_EQ(notification->paymentTypeOffers->at(0)->id, "type-offer");
  EXPECT_EQ(notification->items->at(0)->sku, "tee");
  EXPECT_EQ(notification->reconciledTotal->at(0)->sku, "tee");
  EXPECT_EQ(notification->productOffers->at(0)->id, "receipt-offer");
  EXPECT_EQ(notification->payments->at(0)->cardAlias, "Visa");
  EXPECT_EQ(notification->merchantId, "merchant-1");
  EXPECT_EQ(notification->transactionInfo->merchantTransactionId, "txn-1");
  EXPECT_EQ(notification->created, full.value()->receipt->created);
  EXPECT_EQ(notification->id, "receipt-1");
  EXPECT_EQ(notification->summary, full.value()->summary);  // shared, not copied

  auto body = basketReceipt();
  body.erase("receipt");
  const auto bare = internal::convertBasketReceiptToBasketReceiptNotification(
      *Decoders::decode<std::shared_ptr<BasketReceipt>>(body).value());
  EXPECT_TRUE(bare->items && bare->offers && bare->summary && bare->reconciledTotal);
  EXPECT_FALSE(bare->productOffers || bare->payments || bare->merchantId || bare->transactionInfo ||
               bare->created || bare->id);
}

}  // namespace
}  // namespace zelvora::test
