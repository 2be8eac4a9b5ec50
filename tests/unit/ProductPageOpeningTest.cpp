// Opening the product page, on a recording web view against the fake platform.
#include "CoreOperations/DravixActionHandler.hpp"
#include "Platform/Bundle.hpp"
#include "Platform/PageAddress.hpp"
#include "support/TemporaryDirectory.hpp"
#include "unit/ProductPageFixture.hpp"

#include <fstream>
#include <functional>

namespace zelvora::test {
namespace {

namespace fs = std::filesystem;
using internal::StoreValues;
using ProductPageOpening = ProductPageTest;

std::shared_ptr<Session> withState(const internal::StoredModel<Session>& session,
                                   std::optional<Session::State> state) {
  auto copy = session.copy();
  copy->state = state;
  return copy;
}

TEST_F(ProductPageOpening, RefusesBeforeReturningWhenTheStoreLacksPageDataInThisOrder) {
  const auto full = store();
  // Each step takes one more thing away: the reason is that of the first check in order.
  const std::pair<std::function<void(StoreValues&)>, Reason> steps[] = {
      {[](StoreValues& s) { s.shopperProfile = nullptr; }, Reason::shopperProfileNotAvailable},
      {[](StoreValues& s) { s.shopperLoyaltyPoints.reset(); }, Reason::loyaltyPointsNotAvailable},
      {[](StoreValues& s) {
         s.paymentInstrumentOffers = std::make_shared<internal::PaymentInstrumentOffers>();
       },
       Reason::paymentInstrumentsNotAvailable},
      {[](StoreValues& s) { s.basket = nullptr; }, Reason::basketIdNotAvailable},
      {[](StoreValues& s) { s.session = withState(s.session, Session::State::New); },
       Reason::authenticatedSessionNotAvailable},
      {[](StoreValues& s) { s.session = withState(s.session, std::nullopt); },
       Reason::authenticatedSessionNotAvailable},
  };
  for (const auto& [change, reason] : steps) {
    SCOPED_TRACE(static_cast<int>(reason));
    internal::StoreState::update(change);
    expectRefusedBeforeReturn(open(kOfferCode, {}, false), reason);
  }
  internal::StoreState::update([&](StoreValues& values) { values = full; });
  const std::string notUtf8 = "QR\xff";
  const auto outcome = open(notUtf8, {}, false);
  ASSERT_EQ(outcome.callsBeforeReturn, 1);
  const auto invalid = outcome.error->zelvoraError()->dataValidationFailedReason();
  ASSERT_TRUE(invalid);
  EXPECT_EQ(invalid->kind(), ZelvoraError::DataValidationFailedReason::Kind::invalidQRCode);
  EXPECT_EQ(invalid->value(), notUtf8);
  EXPECT_TRUE(views_->made.empty());
  EXPECT_TRUE(calls().empty());
}

TEST_F(ProductPageOpening, TheScannedCodeReachesTheWirePercentEncodedOnce) {
  const std::pair<std::string, std::string> codes[] = {{"QR-TRAIL-TEE", "QR-TRAIL-TEE"},
                                                       {"aZ09-._~", "aZ09-._~"},
                                                       {"QR 7/+\xc3\xa9", "QR%207%2F%2B%C3%A9"},
                                                       {"100%", "100%25"},
                                                       {"%41?#&=", "%2541%3F%23%26%3D"}};
  for (const auto& [code, wire] : codes) {
    platform_->clearRequests();
    open(code);
    const auto requests = platform_->requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_EQ(requests.front().target, "/api/client/pos/product-offer/" + wire);
    EXPECT_EQ(requests.front().path, "/api/client/pos/product-offer/" + code);
    EXPECT_TRUE(requests.front().signatureValid);
  }
}

TEST_F(ProductPageOpening, ReadsTheFourSettingsAndLoadsOurPageOrTheAppsReadableOne) {
  const TemporaryDirectory files;
  std::ofstream(files.path() / "app.html") << "<p>the app's page</p>";
  std::ofstream(files.path() / "huge.html") << std::string(platform::ReadLimits{}.bytes + 1, 'x');
  const auto address = [&](const char* name) { return platform::fileAddress(files.path() / name); };
  const auto index = platform::frameworkBundle()->pathForResource("index", "html").value();
  const auto expectPage = [&](const std::string& html, const Json& config) {
    ASSERT_EQ(view().loads.size(), 1u);
    EXPECT_EQ(view().loads[0].html, html);
    EXPECT_EQ(view().loads[0].baseUri, platform::fileAddress(index));
    EXPECT_EQ(view().loads[0].bundled, html == platform::readFileText(index));
    EXPECT_TRUE(view().attached);
    EXPECT_EQ(parseStatement(view().statements.at(4)).second, config);
  };
  open(kOfferCode, {{"pdpHtmlUrl", address("app.html")},
                    {"pdpCssUrl", "../style.css?v=1"},
                    {"receiptHtmlUrl", "https://shop.example/thanks.html"},
                    {"receiptCssUrl", "https://shop.example/thanks.css"}});
  expectPage("<p>the app's page</p>", {{"merchantName", ""}, {"css", "../style.css?v=1"}});
  EXPECT_EQ(store().customReceiptHtmlUrl, "https://shop.example/thanks.html");
  EXPECT_EQ(store().customReceiptCssUrl, "https://shop.example/thanks.css");

  // Any other page address shows ours; settings that are no address count as missing.
  for (const std::string& page :
       {std::string("http://platform.test/app.html"), address("huge.html"), address("missing.html"),
        std::string("app.html"), platform::fileAddress("/proc/self/mem"),
        platform::fileAddress(files.path())}) {
    SCOPED_TRACE(page);
    open(kOfferCode, {{"pdpHtmlUrl", page},
                      {"pdpCssUrl", "a style.css"},
                      {"receiptHtmlUrl", ""},
                      {"receiptCssUrl", "%zz"}});
    expectPage(platform::readFileText(index).value(), {{"merchantName", ""}});
    EXPECT_FALSE(store().customReceiptHtmlUrl || store().customReceiptCssUrl);
  }
  EXPECT_EQ(views_->messageNames, (std::vector<std::string>{"skuChanged", "applyLoyalty",
                                                            "removeLoyalty", "showReceipt"}));
  EXPECT_EQ(view().size.width, 390);
  EXPECT_EQ(view().size.height, 844 - 60);
}

// Our bundle, but with an "index" page that cannot be read.
class UnreadableIndexBundle final : public platform::Bundle {
 public:
  std::optional<fs::path> pathForResource(std::string_view name,
                                          std::string_view type) const override {
    if (name == "index")
      return fs::path("/nonexistent/index.html");
    return platform::DirectoryBundle(platform::frameworkResourceDirectory())
        .pathForResource(name, type);
  }
};

TEST_F(ProductPageOpening, AnUnreadableReceiptPageSettingStillShowsOurReceipt) {
  open(kOfferCode, {{"receiptHtmlUrl", platform::fileAddress("/proc/self/mem")}});
  view().post("showReceipt", {{"sku", "trail-tee-m"}, {"name", "Trail tee, medium"}});
  ASSERT_TRUE(waitForStatement("setValues()"));
  const auto thankYou = platform::frameworkBundle()->pathForResource("thankyou", "html").value();
  ASSERT_EQ(view().loads.size(), 2u);
  EXPECT_EQ(view().loads[1].html, platform::readFileText(thankYou));
  EXPECT_TRUE(view().loads[1].bundled);
}

TEST_F(ProductPageOpening, WithoutOurPageNothingIsShownAndAnUnreadableOneShowsAnEmptyView) {
  open();
  const auto current = internal::actionHandler()->webview;
  const Json item = {{"sku", "trail-tee-l"}, {"name", "Trail tee, large"}, {"price", 2700}};
  view().post("skuChanged", item);
  ASSERT_TRUE(waitForStatement("setUpdatedPaymentSummary()"));

  platform::setFrameworkBundleForTesting(std::make_shared<UnreadableIndexBundle>());
  platform_->clearRequests();
  EXPECT_EQ(open().calls, 1);
  EXPECT_TRUE(view().attached);
  EXPECT_TRUE(view().loads.empty());
  EXPECT_EQ(view().statements.back(), "populateProductDetails()");
  EXPECT_EQ(internal::actionHandler()->webview, current);
  EXPECT_EQ(internal::actionHandler()->buyNowDict, item);  // the page on show keeps its item

  const TemporaryDirectory empty;
  platform::setFrameworkBundleForTesting(std::make_shared<platform::DirectoryBundle>(empty.path()));
  platform_->clearRequests();
  const auto outcome = open(kOfferCode, {{"receiptCssUrl", "https://shop.example/r.css"}}, false);
  platform::setFrameworkBundleForTesting(nullptr);
  EXPECT_EQ(outcome.calls, 0);
  EXPECT_FALSE(view().attached);
  EXPECT_TRUE(calls().empty());
  EXPECT_EQ(store().customReceiptCssUrl, "https://shop.example/r.css");
  EXPECT_EQ(internal::actionHandler()->buyNowDict, item);

  open();  // a page that opens holds its own first item
  EXPECT_EQ(internal::actionHandler()->buyNowDict["sku"], "trail-tee-m");
}

TEST(ProductPageProfile, NameAndOneLineAddressOfTheShopper) {
  IdentityAddress address{"1 Pier", "   ", "CA", "Bay", "94107"};
  EXPECT_EQ(internal::page::shippingAddressLine(&address), "1 Pier, Bay, CA, 94107");
  address = {std::nullopt, " Flat 2 ", "\t", std::nullopt, std::nullopt};
  EXPECT_EQ(internal::page::shippingAddressLine(&address), " Flat 2 , \t");
  EXPECT_EQ(internal::page::shippingAddressLine(nullptr), "");

  ShopperProfile profile;
  profile.firstName = "Robin";
  EXPECT_EQ(internal::page::userProfile(profile),
            Json({{"fullName", "Robin "}, {"shippingAddress", ""}}));
  profile.firstName.reset();
  EXPECT_EQ(internal::page::userProfile(profile)["fullName"], " ");
}

}  // namespace
}  // namespace zelvora::test
