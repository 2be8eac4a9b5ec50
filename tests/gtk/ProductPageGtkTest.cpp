// The product page in real WebKitGTK web views under a display, against the fake platform: what
// the shopper sees and does, and a snapshot of each page.
#include "CoreOperations/ProductPageChain.hpp"
#include "gtk/WebKitPage.hpp"

namespace zelvora::test {
namespace {

struct Screen {
  const char* name;
  platform::ViewSize size;
};
void PrintTo(const Screen& screen, std::ostream* out) {
  *out << screen.name;
}

class ProductPageShopping : public WebKitPageTest, public ::testing::WithParamInterface<Screen> {};

TEST_P(ProductPageShopping, PickAnotherSkuToggleLoyaltyBuyAndReadTheReceipt) {
  showWindow(GetParam().size);
  internal::StoreState::set(&internal::StoreValues::merchantName, "Harbour Outfitters");
  // Requests have been signed (by the sign-in) before this first page opens.
  ASSERT_FALSE(open().error);
  ASSERT_TRUE(waitForText("product-name", "Trail tee, medium"));
  EXPECT_EQ(text("merchant-name"), "Harbour Outfitters");
  EXPECT_EQ(text("summary-payable"), "$15.12");
  EXPECT_EQ(text("summary-cash-rewards"), "-$5.00");
  EXPECT_EQ(text("shipping-address"), "48 Pier Road, San Francisco, CA, 94107");
  EXPECT_EQ(evaluate("document.querySelectorAll('#store-list li').length"), "2");
  snapshot(std::string("product-page-") + GetParam().name);

  click("size-options-L");
  ASSERT_TRUE(waitForText("summary-subtotal", "$27.00"));
  EXPECT_EQ(text("product-price"), "$27.00");
  click("loyalty-toggle");
  ASSERT_TRUE(waitForText("summary-cash-rewards", "$0.00"));
  click("loyalty-toggle");
  ASSERT_TRUE(waitForText("summary-cash-rewards", "-$5.00"));

  click("buy-button");
  ASSERT_TRUE(waitForText("receipt-status", "Thank you for your purchase"));
  EXPECT_EQ(text("receipt-product-name"), "Trail tee, large");
  EXPECT_EQ(text("receipt-merchant-name"), "Harbour Outfitters");
  EXPECT_EQ(text("receipt-card-name"), "Travel credit");
  EXPECT_EQ(text("receipt-final-amount"), text("receipt-payable"));
  EXPECT_EQ(text("receipt-promo"), "-$5.00");
  snapshot(std::string("receipt-page-") + GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Screens, ProductPageShopping,
                         ::testing::Values(Screen{"phone", {390, 904}},
                                           Screen{"desktop", {1280, 860}}),
                         [](const auto& screen) { return std::string(screen.param.name); });

using ProductPageFailures = WebKitPageTest;

TEST_F(ProductPageFailures, EachFailureOfTheChainAppearsInThePage1300MillisecondsLater) {
  showWindow({390, 904});
  const std::string merchant = testCredentials().merchantId;
  const std::pair<std::string, std::string_view> failures[] = {
      {"GET /api/client/pos/product-offer/QR-TRAIL-TEE", internal::kOfferNotFound},
      {"GET /api/client/pos/skus/merchant/" + merchant + "/product/trail-tee",
       internal::kNoProductsInOffer},
      {"POST /api/client/basket/loyalty", internal::kRewardsNotRedeemed},
      {"POST /api/client/pos/update-basket", internal::kItemNotAdded},
  };
  for (const auto& [call, text] : failures) {
    SCOPED_TRACE(call);
    platform_->clearScripts();
    const auto space = call.find(' ');
    platform_->script(call.substr(0, space), call.substr(space + 1),
                      {.status = 404, .body = R"({"status":"error","message":"no"})"});
    // The clock starts before the page opens: the failing call may fail, and its delay begin,
    // before open() returns.
    const auto opened = std::chrono::steady_clock::now();
    ASSERT_FALSE(open().error);
    ASSERT_TRUE(waitForText("error-message", std::string(text)));
    EXPECT_GE(std::chrono::steady_clock::now() - opened, std::chrono::milliseconds(1250));
    EXPECT_EQ(evaluate("document.getElementById('error-box').className"), "shown");
    if (text == internal::kOfferNotFound)
      snapshot("product-page-error");
  }
}

}  // namespace
}  // namespace zelvora::test
