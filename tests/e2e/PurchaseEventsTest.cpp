// The product page's purchase while the platform's events and the app's own calls go on, with the
// real event listener connected to the fake platform and the page on a recording web view.
#include "CoreOperations/DravixActionHandler.hpp"
#include "e2e/EventsFixture.hpp"
#include "unit/ProductPageFixture.hpp"

#include <zelvora/Application.hpp>

namespace zelvora::test {
namespace {

const Json kMediumTee = {{"sku", "trail-tee-m"}, {"name", "Trail tee, medium"}, {"price", 2500}};

// The value of the last statement that set the variable; null when none did.
Json lastValueOf(const RecordingWebView& view, std::string_view variable) {
  const auto& ran = view.statements;
  const auto found = std::find_if(ran.rbegin(), ran.rend(), [&](const std::string& statement) {
    return parseStatement(statement).first == variable;
  });
  return found == ran.rend() ? Json() : parseStatement(*found).second;
}

class PurchaseWithEvents : public ProductPageTest {
 protected:
  void SetUp() override {
    ProductPageTest::SetUp();
    platform::setBackgroundTasksForTesting(tasks_);
    // Any listener follows the app's trips to the background, and would connect and catch up
    // beside the test's own: the one put aside goes, and a new one takes its place at the end.
    replacedListener_.reset();
    listener_ = internal::EventListener::create(
        {.delegate = {},
         .reconnect = {.base = std::chrono::milliseconds(20),
                       .cap = std::chrono::milliseconds(400),
                       .stableAfter = std::chrono::milliseconds(200)}});
    internal::exchangeInternalWebSocketListenerForTesting(listener_);
    ZelvoraEventListener::shared().setDelegate(delegate_);
  }

  void TearDown() override {
    ZelvoraEventListener::shared().setDelegate({});
    listener_.reset();
    replacedListener_ = internal::EventListener::create();
    ProductPageTest::TearDown();
    platform::setBackgroundTasksForTesting(nullptr);
  }

  // A signed-in shopper's basket on an open page, with the event socket open.
  void openPageWithEvents() {
    ASSERT_NO_FATAL_FAILURE(openBasket());
    ASSERT_NO_FATAL_FAILURE(fetchPageData());
    ASSERT_TRUE(runMainLoopUntil([&] { return platform_->events().openConnections() == 1; }));
    open();
    pageBasket_ = Store::basket()->id.value();
    platform_->clearRequests();
  }

  // Presses Buy and, once the request to the path has reached the platform, runs `meanwhile`.
  void buyAndMeanwhile(const std::string& heldPath, const std::function<void()>& meanwhile) {
    view().post("showReceipt", kMediumTee);
    ASSERT_TRUE(runMainLoopUntil([&] { return !requestsTo(heldPath).empty(); }));
    meanwhile();
  }

  std::size_t timesRan(const std::string& statement) {
    return static_cast<std::size_t>(
        std::count(view().statements.begin(), view().statements.end(), statement));
  }

  void expectReceiptOfThePageBasket() {
    ASSERT_TRUE(waitForStatement("setValues()"));
    EXPECT_EQ(timesRan("displayErrorDiv()"), 0u);
    EXPECT_EQ(bodyOf("/api/client/payment")["basket-id"], pageBasket_);
    EXPECT_EQ(bodyOf("/api/client/pos/ready-for-payment")["basket-id"], pageBasket_);
    EXPECT_EQ(lastValueOf(view(), "ib_receipt")["payable"],
              lastValueOf(view(), "ib_paymentSummary")["payable"]);
  }

  std::string errorShown() { return lastValueOf(view(), "ib_error")["message"]; }

  std::vector<std::string> log_;
  std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>(log_);
  std::shared_ptr<RecordingBackgroundTasks> tasks_ = std::make_shared<RecordingBackgroundTasks>();
  std::shared_ptr<internal::EventListener> listener_;
  std::string pageBasket_;
};

TEST_F(PurchaseWithEvents, EventsDuringThePurchaseEndItOnTheReceiptAndTheStoreAsTheEventsLeaveIt) {
  using namespace std::chrono_literals;
  const struct {
    const char* name;
    const char* heldPath;
    std::function<void()> meanwhile;
    std::size_t receiptsHeard;
  } cases[] = {
      {"the receipt event before ready for payment's answer", "/api/client/pos/ready-for-payment",
       [] {}, 1},
      {"a receipt event during the payment", "/api/client/payment",
       [&] {
         platform_->events().pushText(eventFrame("basket-receipt-update", {{"id", "receipt-x"}}));
       },
       2},
      {"a trip to the background during the payment", "/api/client/payment",
       [] {
         Application::didEnterBackground();
         Application::willEnterForeground();
       },
       1},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(openPageWithEvents());
    platform_->script("POST", c.heldPath, {.delay = 300ms, .times = 1});
    const auto receipts = delegate_->receipts.size();
    ASSERT_NO_FATAL_FAILURE(buyAndMeanwhile(c.heldPath, c.meanwhile));
    expectReceiptOfThePageBasket();
    ASSERT_TRUE(runMainLoopUntil([&] { return delegate_->receipts.size() > receipts; }));
    runMainLoopFor(50ms);
    // The catch-up and the platform's event may both bring the page's receipt: the app hears it
    // once.
    EXPECT_EQ(delegate_->receipts.size(), receipts + c.receiptsHeard);
    const auto after = store();
    EXPECT_FALSE(after.session);
    EXPECT_FALSE(after.basket);
    EXPECT_FALSE(after.productOffer || after.instantBuySession || after.shopperLoyaltyPoints);
  }
}

TEST_F(PurchaseWithEvents, TheAppsOwnCallsDuringThePurchaseNeverMakeItPayForAnotherBasket) {
  using namespace std::chrono_literals;
  const auto largeTee = [] {
    auto update = std::make_shared<BasketUpdateParam>();
    update->items = ModelList<BasketLineItem>{std::make_shared<BasketLineItem>()};
    update->items->front()->sku = "trail-tee-l";
    update->items->front()->qty = 2.0;
    return update;
  };
  const auto updateStoredBasket = [&] {
    ASSERT_FALSE(await<Basket>([&](auto done) { api_.updateBasket(largeTee(), done); }).error);
  };
  const struct {
    const char* name;
    const char* heldPath;
    std::function<void()> meanwhile;
    bool pays;
  } cases[] = {
      {"a new basket", "/api/client/pos/complete-scan",
       [&] {
         ASSERT_FALSE(await<Basket>([&](auto done) { api_.createBasket(done); }).error);
         updateStoredBasket();
       },
       true},
      {"the page's basket changed", "/api/client/pos/complete-scan", updateStoredBasket, false},
      {"a new sign-in", "/api/client/payment",
       [&] {
         ASSERT_FALSE(await<Session>([&](auto done) {
                        api_.authenticateShopper(kMerchantShopperId, "auth-7", done);
                      }).error);
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(openPageWithEvents());
    platform_->script("POST", c.heldPath, {.delay = 300ms, .times = 1});
    ASSERT_NO_FATAL_FAILURE(buyAndMeanwhile(c.heldPath, c.meanwhile));
    if (c.pays) {
      expectReceiptOfThePageBasket();
      continue;
    }
    ASSERT_TRUE(waitForStatement("displayErrorDiv()"));
    EXPECT_TRUE(requestsTo("/api/client/payment").empty());
    EXPECT_EQ(errorShown().rfind(std::string(internal::kPaymentNotMade), 0), 0u) << errorShown();
    EXPECT_NE(errorShown().find("The basket changed"), std::string::npos) << errorShown();
  }
}

TEST_F(PurchaseWithEvents, ACancellationDuringTheScanEndsThePurchaseBeforeThePayment) {
  ASSERT_NO_FATAL_FAILURE(openPageWithEvents());
  platform_->script("POST", "/api/client/pos/complete-scan",
                    {.delay = std::chrono::milliseconds(300), .times = 1});
  ASSERT_NO_FATAL_FAILURE(buyAndMeanwhile("/api/client/pos/complete-scan", [&] {
    platform_->events().pushText(eventFrame("basket-update", {{"state", "cancel-transaction"}}));
  }));
  ASSERT_TRUE(waitForStatement("displayErrorDiv()"));
  runMainLoopFor(std::chrono::milliseconds(100));
  EXPECT_TRUE(requestsTo("/api/client/payment").empty());
  EXPECT_EQ(errorShown().rfind(std::string(internal::kScanNotCompleted), 0), 0u) << errorShown();
  EXPECT_NE(errorShown().find("cancelled"), std::string::npos) << errorShown();
  EXPECT_EQ(std::count(log_.begin(), log_.end(), "didCancelTransaction"), 1);
}

TEST_F(PurchaseWithEvents, APaymentThePlatformTakesDespiteACancellationEndsOnItsReceipt) {
  using namespace std::chrono_literals;
  for (const bool receiptFound : {true, false}) {
    SCOPED_TRACE(receiptFound ? "with its receipt" : "without a receipt");
    ASSERT_NO_FATAL_FAILURE(openPageWithEvents());
    platform_->script("POST", "/api/client/payment", {.delay = 300ms, .times = 1});
    if (!receiptFound)
      platform_->script("GET", "/api/client/basket/" + pageBasket_ + "/receipt",
                        {.status = 503, .body = kPlatformError, .times = 1});
    ASSERT_NO_FATAL_FAILURE(buyAndMeanwhile("/api/client/payment", [&] {
      platform_->events().pushText(eventFrame("basket-update", {{"state", "cancel-transaction"}}));
    }));
    if (receiptFound) {
      ASSERT_TRUE(waitForStatement("setValues()"));
      EXPECT_EQ(timesRan("displayErrorDiv()"), 0u);
      EXPECT_EQ(lastValueOf(view(), "ib_receipt")["payable"],
                lastValueOf(view(), "ib_paymentSummary")["payable"]);
      continue;
    }
    // The shopper has paid: what is missing is the receipt, not the payment.
    ASSERT_TRUE(waitForStatement("displayErrorDiv()"));
    EXPECT_EQ(errorShown().rfind(std::string(internal::kReceiptNotFetched), 0), 0u) << errorShown();
    EXPECT_EQ(errorShown().find("cancelled"), std::string::npos) << errorShown();
  }
}

}  // namespace
}  // namespace zelvora::test
