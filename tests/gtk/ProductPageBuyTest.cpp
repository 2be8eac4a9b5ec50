// The product page's Buy in real WebKitGTK against the fake platform, when the network or the app
// gets in the way: the shopper pays for what the page shows, or stays on the page and is told why.
#include "e2e/EventsFixture.hpp"
#include "gtk/WebKitPage.hpp"

#include <zelvora/Application.hpp>

#include <gmock/gmock.h>

namespace zelvora::test {
namespace {

using namespace std::chrono_literals;
using ::testing::StartsWith;

constexpr const char* kUpdatePath = "/api/client/pos/update-basket";
constexpr const char* kScanPath = "/api/client/pos/complete-scan";
constexpr const char* kPaymentPath = "/api/client/payment";
constexpr const char* kReadyPath = "/api/client/pos/ready-for-payment";

// A figure of the product page's summary and where the receipt shows it.
struct Figure {
  const char* shown;
  const char* receipt;
};
constexpr Figure kFigures[] = {
    {"summary-subtotal", "receipt-subtotal"},
    {"summary-promo", "receipt-promo"},
    {"summary-cash-rewards", "receipt-cash-rewards"},
    {"summary-card-offer", "receipt-card-offer"},
    {"summary-tax", "receipt-tax"},
    {"summary-payable", "receipt-payable"},
    {"summary-payable", "receipt-final-amount"},
    {"summary-total-savings", "receipt-total-savings"},
};

class ProductPageBuying : public WebKitPageTest {
 protected:
  // Opens the page on a phone's screen and waits for its first size, medium, to be shown.
  void openPage() {
    showWindow({390, 904});
    ASSERT_FALSE(open().error);
    ASSERT_TRUE(waitForText("summary-payable", "$15.12"));
    platform_->clearRequests();
  }

  // The product page's figures, in the order of kFigures.
  std::vector<std::string> shownFigures() {
    std::vector<std::string> figures;
    for (const auto& figure : kFigures)
      figures.push_back(text(figure.shown));
    return figures;
  }

  void expectReceipt(const std::string& productName, const std::vector<std::string>& figures) {
    ASSERT_TRUE(waitForText("receipt-status", "Thank you for your purchase"));
    EXPECT_EQ(text("receipt-product-name"), productName);
    for (std::size_t i = 0; i < figures.size(); ++i)
      EXPECT_EQ(text(kFigures[i].receipt), figures[i]) << kFigures[i].receipt;
  }

  bool errorBoxShown() {
    return evaluate("document.getElementById('error-box').className") == "shown";
  }
};

TEST_F(ProductPageBuying, BuyAfterAFailedSizeChangeStaysOnThePageAndPaysOnceAChangeSucceeds) {
  ASSERT_NO_FATAL_FAILURE(openPage());
  platform_->script("POST", kUpdatePath,
                    {.status = 500,
                     .body = R"({"status":"error","message":"The basket could not be updated"})",
                     .times = 1});
  click("size-options-L");
  // On a phone's screen the shopper scrolls down to Buy, away from where errors show.
  evaluate("document.getElementById('buy-button').scrollIntoView()");
  click("buy-button");
  ASSERT_TRUE(runMainLoopUntil([&] { return errorBoxShown(); }));
  EXPECT_THAT(text("error-message"), StartsWith("Updating basket failed: "));
  EXPECT_EQ(evaluate("var box = document.getElementById('error-box').getBoundingClientRect();"
                     "box.top >= 0 && box.bottom <= innerHeight"),
            "true");
  snapshot("product-page-buy-refused");
  // Whatever a purchase would have sent follows the Buy message at once.
  runMainLoopFor(200ms);
  EXPECT_EQ(text("product-name"), "Trail tee, large");
  EXPECT_EQ(evaluate("!!document.getElementById('receipt-status')"), "false");
  EXPECT_TRUE(requestsTo(kScanPath).empty());
  EXPECT_TRUE(requestsTo(kPaymentPath).empty());

  // The large size is chosen already: the shopper goes through the medium one to choose it again.
  click("size-options-M");
  ASSERT_TRUE(waitForText("summary-subtotal", "$25.00"));
  click("size-options-L");
  ASSERT_TRUE(waitForText("summary-subtotal", "$27.00"));
  EXPECT_FALSE(errorBoxShown());
  const auto figures = shownFigures();
  click("buy-button");
  expectReceipt("Trail tee, large", figures);
  EXPECT_EQ(requestsTo(kPaymentPath).size(), 1u);
}

// A step of the purchase that fails, and what the receipt page then says of the payment.
struct FailedStep {
  const char* name;
  const char* method;
  const char* path;  // the basket's receipt when empty
  int answer;        // the failing status
  bool receiptFailsToo;
  const char* heading;
  const char* status;

  friend void PrintTo(const FailedStep& step, std::ostream* out) { *out << step.name; }
};

class ReceiptPageFailures : public ProductPageBuying,
                            public ::testing::WithParamInterface<FailedStep> {};

TEST_P(ReceiptPageFailures, SayWhetherTheShopperWasCharged) {
  const FailedStep& step = GetParam();
  ASSERT_NO_FATAL_FAILURE(openPage());
  const std::string receiptPath = "/api/client/basket/" + ids_.basketId + "/receipt";
  const fake::ScriptedReply failure{.status = step.answer,
                                    .body = R"({"status":"error","message":"Try later"})"};
  platform_->script(step.method, *step.path ? step.path : receiptPath, failure);
  if (step.receiptFailsToo)
    platform_->script("GET", receiptPath, failure);
  click("buy-button");
  ASSERT_TRUE(runMainLoopUntil([&] { return errorBoxShown(); }));
  EXPECT_EQ(text("error-heading"), step.heading);
  EXPECT_EQ(text("receipt-status"), step.status);
  snapshot(std::string("receipt-page-failed-") + step.name);
}

constexpr const char* kNotMade = "The payment did not go through.";
constexpr const char* kUnconfirmed =
    "Your payment could not be confirmed. Check your receipts before you pay again.";
INSTANTIATE_TEST_SUITE_P(
    Steps, ReceiptPageFailures,
    ::testing::Values(
        FailedStep{"scan", "POST", kScanPath, 503, false, kNotMade, "Payment not completed"},
        // The platform's own lookup then finds no receipt, which a payment it took may not have
        // yet.
        FailedStep{"payment", "POST", kPaymentPath, 503, false, kUnconfirmed,
                   "Payment not confirmed"},
        FailedStep{"payment_refused", "POST", kPaymentPath, 409, true, kNotMade,
                   "Payment not completed"},
        FailedStep{"payment_unconfirmed", "POST", kPaymentPath, 503, true, kUnconfirmed,
                   "Payment not confirmed"},
        FailedStep{"receipt", "GET", "", 503, false,
                   "Your payment was taken, but its receipt cannot be shown.", "Payment received"}),
    [](const auto& failed) { return std::string(failed.param.name); });

// The page with the real event listener connected, the only one following the app to the
// background and back: its catch-up clears the Store's transaction when it finds the basket paid.
class ProductPageBuyingWithEvents : public ProductPageBuying {
 protected:
  void SetUp() override {
    // The page's fixture signs in with a recording listener in place and keeps the listener it
    // found, to give it back at its end: it finds this one, and the one in place before goes.
    internal::exchangeInternalWebSocketListenerForTesting(listener_);
    ProductPageBuying::SetUp();
    if (IsSkipped() || HasFatalFailure())
      return;
    internal::exchangeInternalWebSocketListenerForTesting(listener_);
    ZelvoraEventListener::shared().setDelegate(delegate_);
    ZelvoraEventListener::shared().connect();
    ASSERT_TRUE(runMainLoopUntil([&] { return platform_->events().openConnections() == 1; }));
  }

  void TearDown() override {
    ZelvoraEventListener::shared().setDelegate({});
    ProductPageBuying::TearDown();
    internal::exchangeInternalWebSocketListenerForTesting(internal::EventListener::create());
  }

  std::vector<std::string> log_;
  std::shared_ptr<RecordingDelegate> delegate_ = std::make_shared<RecordingDelegate>(log_);

 private:
  std::shared_ptr<internal::EventListener> listener_ = internal::EventListener::create();
};

TEST_F(ProductPageBuyingWithEvents, ATripToTheBackgroundDuringThePaymentStillEndsOnItsReceipt) {
  ASSERT_NO_FATAL_FAILURE(openPage());
  const auto figures = shownFigures();
  platform_->script("POST", kPaymentPath, {.delay = 400ms, .times = 1});
  click("buy-button");
  ASSERT_TRUE(runMainLoopUntil([&] { return !requestsTo(kPaymentPath).empty(); }));
  Application::didEnterBackground();
  Application::willEnterForeground();
  // The catch-up finds the basket paid and clears the Store while the payment's reply is held.
  ASSERT_TRUE(runMainLoopUntil([&] { return !Store::basket() && !Store::session(); }));
  EXPECT_TRUE(requestsTo(kReadyPath).empty());

  expectReceipt("Trail tee, medium", figures);
  EXPECT_FALSE(errorBoxShown());
  EXPECT_EQ(evaluate("document.body.classList.contains('failed')"), "false");
  ASSERT_TRUE(runMainLoopUntil([&] { return !delegate_->receipts.empty(); }));
  EXPECT_EQ("#" + delegate_->receipts.front()->id.value_or(""), text("receipt-id"));
  // The purchase kept its session to itself rather than storing it again.
  EXPECT_EQ(Store::session(), nullptr);
}

}  // namespace
}  // namespace zelvora::test
