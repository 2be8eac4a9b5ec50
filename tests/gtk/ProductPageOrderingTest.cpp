// The product page in real WebKitGTK against the fake platform, tapped faster than the platform
// answers: the shopper is charged what the page shows.
#include "gtk/WebKitPage.hpp"

#include <cstdlib>

namespace zelvora::test {
namespace {

using namespace std::chrono_literals;

constexpr const char* kUpdatePath = "/api/client/pos/update-basket";
// The medium tee's subtotal, and what the page shows to pay for it, which is what is charged.
constexpr const char* kMediumSubtotal = "$25.00";
constexpr const char* kMediumCharge = "$15.12";

class ProductPageOrdering : public WebKitPageTest {
 protected:
  // Opens the page on its first size, medium; the following basket updates answer this late.
  void openWithLateUpdates(std::chrono::milliseconds delay, int times) {
    showWindow({390, 904});
    ASSERT_FALSE(open().error);
    ASSERT_TRUE(waitForText("summary-payable", kMediumCharge));
    platform_->clearRequests();
    platform_->script("POST", kUpdatePath, {.delay = delay, .times = times});
    // Counts the payment summaries the page is sent from now on.
    evaluate(
        "var shown = 0, show = setUpdatedPaymentSummary;"
        "setUpdatedPaymentSummary = function () { shown++; show(); }");
  }

  std::size_t updates() const { return requestsTo(kUpdatePath).size(); }
  // 0 also when the page has no counter.
  std::size_t summariesShown() {
    return std::strtoul(evaluate("String(shown)").c_str(), nullptr, 10);
  }

  void expectMediumTeeCharged() {
    ASSERT_TRUE(waitForText("receipt-status", "Thank you for your purchase"));
    EXPECT_EQ(text("receipt-product-name"), "Trail tee, medium");
    EXPECT_EQ(text("receipt-subtotal"), kMediumSubtotal);
    EXPECT_EQ(text("receipt-final-amount"), kMediumCharge);
  }
};

// Clicks, in one go, each element of the ids.
std::string clicks(const std::vector<std::string>& ids) {
  std::string script;
  for (const auto& id : ids)
    script += "document.getElementById('" + id + "').click();";
  return script;
}

TEST_F(ProductPageOrdering, ALateReplyForAnEarlierSizeNeverOutlivesTheLaterOne) {
  openWithLateUpdates(300ms, 1);
  evaluate(clicks({"size-options-L", "size-options-M"}));
  ASSERT_TRUE(runMainLoopUntil([&] { return summariesShown() == 2; }));
  EXPECT_EQ(updates(), 2u);
  EXPECT_EQ(text("product-name"), "Trail tee, medium");
  EXPECT_EQ(text("summary-subtotal"), kMediumSubtotal);
  EXPECT_EQ(text("summary-payable"), kMediumCharge);
  click("buy-button");
  expectMediumTeeCharged();
}

TEST_F(ProductPageOrdering, BuyRightAfterABurstOfTapsPaysForTheLastSizeOnceItIsShown) {
  openWithLateUpdates(300ms, 1);
  std::vector<std::string> taps;
  for (int i = 0; i < 100; ++i)
    taps.push_back(i % 2 ? "size-options-M" : "size-options-L");
  taps.push_back("buy-button");
  evaluate(clicks(taps));
  expectMediumTeeCharged();
  // The first tap's update, and the last one's, which replaced those waiting before it.
  EXPECT_EQ(updates(), 2u);
}

TEST_F(ProductPageOrdering, AFloodOfSkuChangesSendsOnlyTheUpdatesOfTheFirstAndTheLast) {
  // Every update answers late, so that the flood has arrived before the first is answered.
  openWithLateUpdates(2s, -1);
  evaluate(
      "var medium = itemOf(ib_products[0]), large = itemOf(ib_products[1]);"
      "for (var i = 0; i < 10000; i++)"
      "  window.webkit.messageHandlers.skuChanged.postMessage(i % 2 ? medium : large);");
  ASSERT_TRUE(runMainLoopUntil(
      [&] {
        const std::size_t shown = summariesShown();
        return shown >= 2 && shown == updates() && text("summary-subtotal") == kMediumSubtotal;
      },
      60s));
  // One update waits at a time, so one more goes out for each answer that comes back while the
  // flood is still being handed over: two on a quick machine, a few on a slow one, never one for
  // each message.
  EXPECT_LT(updates(), 10u);
}

TEST_F(ProductPageOrdering, WhileThePurchaseRunsThePageChangesNothing) {
  openWithLateUpdates(0ms, -1);
  const std::string scan = "/api/client/pos/complete-scan";
  platform_->script("POST", scan, {.delay = 1s});
  click("buy-button");
  ASSERT_TRUE(runMainLoopUntil([&] {
    return !requestsTo(scan).empty() &&
           evaluate("!!document.getElementById('receipt-status')") == "true";
  }));
  // The receipt page has the same message handlers as the product page had.
  evaluate(
      "var to = window.webkit.messageHandlers;"
      "to.skuChanged.postMessage({sku: 'trail-tee-l', name: 'Trail tee, large', price: 2700});"
      "to.removeLoyalty.postMessage({}); to.applyLoyalty.postMessage({});");
  expectMediumTeeCharged();
  EXPECT_EQ(updates(), 0u);
  EXPECT_TRUE(requestsTo("/api/client/basket/loyalty").empty());
}

}  // namespace
}  // namespace zelvora::test
