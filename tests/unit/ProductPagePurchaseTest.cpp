// The purchase from the product page, on a recording web view against the fake platform.
#include "CoreNetworking/Networking.hpp"
#include "CoreOperations/DravixActionHandler.hpp"
#include "Models/Models.hpp"
#include "Platform/Bundle.hpp"
#include "Platform/PageAddress.hpp"
#include "unit/ProductPageFixture.hpp"

namespace zelvora::test {
namespace {

using internal::actionHandler;

class ProductPagePurchase : public ProductPageTest {
 protected:
  // A basket of its own, the page data the last purchase cleared, and a page for it.
  void openOnANewBasket() {
    ASSERT_FALSE(await<Basket>([&](auto done) { api_.createBasket(done); }).error);
    ids_.basketId = Store::basket()->id.value();
    ASSERT_NO_FATAL_FAILURE(fetchPageData());
    open();
  }
};

const Json kMediumTee = {{"sku", "trail-tee-m"}, {"name", "Trail tee, medium"}, {"price", 2500}};
const Json kLargeTee = {{"sku", "trail-tee-l"}, {"name", "Trail tee, large"}, {"price", 2700}};

std::string receiptPath(const std::string& basketId) {
  return "/api/client/basket/" + basketId + "/receipt";
}

TEST_F(ProductPagePurchase, PaysInFourStepsFillsTheReceiptPageAndClearsThePageData) {
  open(kOfferCode, {{"receiptCssUrl", "https://cdn.example/receipt.css"}});
  const auto session = store().session;
  platform_->clearRequests();
  view().post("showReceipt", kMediumTee);
  ASSERT_TRUE(waitForStatement("setValues()"));

  EXPECT_EQ(calls(),
            (std::vector<std::string>{
                "POST /api/client/pos/complete-scan", "GET /api/client/basket/" + ids_.basketId,
                "POST /api/client/payment", "POST /api/client/pos/ready-for-payment",
                "GET " + receiptPath(ids_.basketId)}));
  EXPECT_EQ(bodyOf("/api/client/payment"),
            Json({{"basket-id", ids_.basketId}, {"payment-instrument-id", ids_.cardId}}));
  const auto thankYou = platform::frameworkBundle()->pathForResource("thankyou", "html").value();
  ASSERT_EQ(view().loads.size(), 2u);
  EXPECT_EQ(view().loads[1].html, platform::readFileText(thankYou));
  EXPECT_EQ(view().loads[1].baseUri, platform::fileAddress(thankYou));

  const auto& ran = view().statements;
  ASSERT_EQ(statementNames(ran).back(), "setValues()");
  const std::vector<std::string> last(ran.end() - 3, ran.end());
  EXPECT_EQ(statementNames(last),
            (std::vector<std::string>{"ib_config", "ib_receipt", "setValues()"}));
  EXPECT_EQ(parseStatement(last[0]).second,
            Json({{"merchantName", ""}, {"css", "https://cdn.example/receipt.css"}}));
  const Json receipt = parseStatement(last[1]).second;
  EXPECT_EQ(receipt, Json::parse(*actionHandler()->receiptJsonString));
  EXPECT_EQ(receipt["productName"], "Trail tee, medium");
  EXPECT_EQ(receipt["cardName"], "Travel credit");
  EXPECT_EQ(receipt["cardNumber"], "************1881");
  EXPECT_EQ(receipt["savings"], receipt["promo"]);
  EXPECT_EQ(receipt["finalAmount"], receipt["payable"]);
  EXPECT_EQ(receipt.size(), 13u) << receipt;

  const auto stored = store();
  EXPECT_EQ(stored.session, session);
  EXPECT_FALSE(stored.productOffer || stored.paymentInstrumentOffers || stored.shopperProfile ||
               stored.shopperLoyaltyPoints || stored.instantBuySession ||
               stored.customReceiptCssUrl);
}

TEST_F(ProductPagePurchase, AFailedStepIsShownAtOnceAndEndsThePurchase) {
  open();
  const auto before = store();
  struct Step {
    const char* path;
    std::string_view prefix;
    bool keepsSession;  // and clears the page data
  } const steps[] = {
      {"/api/client/pos/complete-scan", internal::kScanNotCompleted, false},
      {"/api/client/payment", internal::kPaymentNotMade, false},
      {"/api/client/pos/ready-for-payment", internal::kPaymentNotCompleted, false},
      {"receipt", internal::kReceiptNotFetched, true},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.path);
    internal::StoreState::update([&](internal::StoreValues& values) { values = before; });
    platform_->clearScripts();
    platform_->clearRequests();
    // Canned successes, so that the platform's basket never closes.
    for (const char* path : {"/api/client/pos/complete-scan", "/api/client/payment",
                             "/api/client/pos/ready-for-payment"})
      platform_->script("POST", path, {.status = 200, .body = "{}"});
    const bool lookup = std::string_view(step.path) == "receipt";
    platform_->script(lookup ? "GET" : "POST", lookup ? receiptPath(ids_.basketId) : step.path,
                      {.status = 404, .body = kPlatformError});
    open();  // a page buys once
    platform_->clearRequests();
    view().statements.clear();
    view().post("showReceipt", kMediumTee);
    ASSERT_TRUE(waitForStatement("displayErrorDiv()"));

    const auto& ran = view().statements;
    ASSERT_EQ(ran.size(), 2u);
    const std::string shown = parseStatement(ran[0]).second["message"];
    EXPECT_EQ(shown, *actionHandler()->errMsg);
    EXPECT_EQ(shown.rfind(std::string(step.prefix) + "Optional(Error Domain=", 0), 0u) << shown;
    const auto after = store();
    EXPECT_EQ(after.session != nullptr, step.keepsSession);
    EXPECT_EQ(after.productOffer == nullptr, step.keepsSession);
    EXPECT_FALSE(after.instantBuySession);
  }
}

TEST_F(ProductPagePurchase, OnePurchaseAtATimeWhoseSessionSurvivesAClearingEvent) {
  open();
  const auto session = store().session;
  platform_->clearRequests();
  platform_->script("POST", "/api/client/payment", {.delay = std::chrono::milliseconds(200)});
  view().post("showReceipt", kMediumTee);
  view().post("showReceipt", kMediumTee);
  ASSERT_TRUE(runMainLoopUntil([&] { return !requestsTo("/api/client/payment").empty(); }));
  // A receipt or cancel event clears the page data, the Store's copy of the session among them.
  internal::StoreState::cleanUpDravixData();
  ASSERT_TRUE(waitForStatement("setValues()"));
  EXPECT_EQ(requestsTo("/api/client/pos/complete-scan").size(), 1u);
  EXPECT_EQ(store().session, session);

  // The receipt page may post Buy too: the page that bought pays no second time.
  const auto statements = view().statements.size();
  view().post("showReceipt", kMediumTee);
  runMainLoopFor(std::chrono::milliseconds(200));
  EXPECT_EQ(requestsTo("/api/client/pos/complete-scan").size(), 1u);
  EXPECT_EQ(view().statements.size(), statements);
  EXPECT_EQ(view().loads.size(), 2u);
  EXPECT_EQ(store().session, session);
}

TEST_F(ProductPagePurchase, WhatTheReceiptPageShowsBesideTheReceiptIsKeptFromTheStart) {
  internal::StoreState::set(&internal::StoreValues::merchantName, "Harbour Outfitters");
  open(kOfferCode, {{"receiptCssUrl", "https://cdn.example/receipt.css"}});
  const std::string lookup = receiptPath(ids_.basketId);
  platform_->script("GET", lookup, {.delay = std::chrono::milliseconds(200)});
  view().post("showReceipt", kMediumTee);
  ASSERT_TRUE(runMainLoopUntil([&] { return !requestsTo(lookup).empty(); }));
  // The receipt event that follows the payment clears the page data before the receipt comes.
  internal::StoreState::cleanUpDravixData();
  ASSERT_TRUE(waitForStatement("setValues()"));
  const auto& ran = view().statements;
  EXPECT_EQ(
      parseStatement(ran[ran.size() - 3]).second,
      Json({{"merchantName", "Harbour Outfitters"}, {"css", "https://cdn.example/receipt.css"}}));
  EXPECT_EQ(parseStatement(ran[ran.size() - 2]).second["merchantName"], "Harbour Outfitters");
}

// The receipt object the page was given last.
Json shownReceipt(const RecordingWebView& view) {
  const auto& ran = view.statements;
  const auto receipt = std::find_if(ran.rbegin(), ran.rend(), [](const std::string& statement) {
    return parseStatement(statement).first == "ib_receipt";
  });
  return receipt == ran.rend() ? Json() : parseStatement(*receipt).second;
}

// The payment summary the page was sent last.
Json shownSummary(const RecordingWebView& view) {
  const auto& ran = view.statements;
  const auto summary = std::find_if(ran.rbegin(), ran.rend(), [](const std::string& statement) {
    return parseStatement(statement).first == "ib_paymentSummary";
  });
  return summary == ran.rend() ? Json() : parseStatement(*summary).second;
}

TEST_F(ProductPagePurchase, BuyAfterAFailedSizeChangeIsRefusedUntilAChangeSucceeds) {
  // A page's Buy need name no SKU: then it is for the basket shown.
  const Json buys[] = {kLargeTee, {{"name", "Trail tee, large"}}};
  for (const auto& buy : buys) {
    SCOPED_TRACE(buy.dump());
    ASSERT_FALSE(await<Basket>([&](auto done) { api_.createBasket(done); }).error);
    ASSERT_NO_FATAL_FAILURE(fetchPageData());
    open();
    platform_->script("POST", "/api/client/pos/update-basket",
                      {.status = 500, .body = kPlatformError, .times = 1});
    view().post("skuChanged", kLargeTee);
    view().post("showReceipt", buy);
    ASSERT_TRUE(waitForStatement("displayErrorDiv()"));
    EXPECT_TRUE(requestsTo("/api/client/pos/complete-scan").empty());
    EXPECT_TRUE(requestsTo("/api/client/payment").empty());
    EXPECT_EQ(view().loads.size(), 1u);
    const std::string shown = parseStatement(view().statements.end()[-2]).second["message"];
    EXPECT_EQ(shown.rfind(std::string(internal::kUpdatingBasketFailed) + "Optional(", 0), 0u);

    view().post("skuChanged", kLargeTee);
    view().post("showReceipt", buy);
    ASSERT_TRUE(waitForStatement("setValues()"));
    const Json receipt = shownReceipt(view());
    EXPECT_EQ(receipt["productName"], "Trail tee, large");
    EXPECT_EQ(receipt["subtotal"], "2700");
    platform_->clearRequests();
  }
}

TEST_F(ProductPagePurchase, ThePlatformsOwnFiguresNeverStopAPurchaseOfTheItemsShown) {
  const struct {
    const char* name;
    std::function<void()> beforeBuy;
  } cases[] = {
      {"the basket priced anew at the scan",
       [&] {
         Json repriced = encodeToJSON(*actionHandler()->currentPage()->shownBasket);
         repriced["summary"]["payment-total"] = 1;
         repriced["summary"]["tax"] = 0;
         platform_->script("GET", "/api/client/basket/" + ids_.basketId,
                           {.status = 200, .body = repriced.dump(), .times = 1});
       }},
      {"items whose prices the lookup leaves out",
       [&] {
         Json items = encodeToJSON(*actionHandler()->currentPage()->shownBasket)["items"];
         for (auto& item : items)
           item.erase("price");
         platform_->script("GET", "/api/client/basket/" + ids_.basketId,
                           {.status = 200, .body = Json({{"items", items}}).dump(), .times = 1});
       }},
      {"another default card, which prices the open basket anew",
       [&] {
         const auto debitCard = platform_->paymentInstrumentIds(ids_.shopperId).at(1);
         ASSERT_FALSE(await<SetDefaultPaymentInstrumentValue>([&](auto done) {
                        api_.setDefault(debitCard, done);
                      }).error);
       }},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(openOnANewBasket());
    ASSERT_NO_FATAL_FAILURE(c.beforeBuy());
    view().post("showReceipt", kMediumTee);
    ASSERT_TRUE(waitForStatement("setValues()"));
    EXPECT_EQ(std::count(view().statements.begin(), view().statements.end(), "displayErrorDiv()"),
              0);
    EXPECT_EQ(bodyOf("/api/client/payment")["payment-instrument-id"], ids_.cardId);
    EXPECT_EQ(shownReceipt(view())["payable"], shownSummary(view())["payable"]);
    platform_->clearRequests();
  }
}

TEST_F(ProductPagePurchase, AFailureAfterTheChargeEndsOnTheReceiptTheShopperPaidFor) {
  struct Case {
    const char* name;
    const char* path;
    fake::ScriptedReply reply;
    std::chrono::milliseconds callTimeLimit;
  } const cases[] = {
      {"payment answered beyond the call limit",
       "/api/client/payment",
       {.delay = std::chrono::milliseconds(600), .times = 1},
       std::chrono::milliseconds(300)},
      {"ready for payment answered with a body that does not decode",
       "/api/client/pos/ready-for-payment",
       {.status = 200, .body = "[1, 2", .times = 1},
       std::chrono::seconds(30)},
      {"payment answer lost as its connection is reset",
       "/api/client/payment",
       {.resetConnection = true, .times = 1},
       std::chrono::seconds(30)},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // A basket of its own, and the page data the last purchase cleared.
    ASSERT_FALSE(await<Basket>([&](auto done) { api_.createBasket(done); }).error);
    ASSERT_NO_FATAL_FAILURE(fetchPageData());
    open();
    Networking::sharedManager().setCallTimeLimitForTesting(c.callTimeLimit);
    platform_->script("POST", c.path, c.reply);
    view().post("showReceipt", kMediumTee);
    ASSERT_TRUE(waitForStatement("setValues()"));
    Networking::sharedManager().setCallTimeLimitForTesting(std::chrono::seconds(30));
    EXPECT_EQ(requestsTo("/api/client/payment").size(), 1u);
    EXPECT_EQ(std::count(view().statements.begin(), view().statements.end(), "displayErrorDiv()"),
              0);
    EXPECT_EQ(shownReceipt(view())["payable"], shownSummary(view())["payable"]);
    EXPECT_TRUE(store().session);
    platform_->clearRequests();
  }
}

TEST_F(ProductPagePurchase, APaymentIsShownAsNotMadeOnlyWhereThePlatformSaidSo) {
  const fake::ScriptedReply unavailable{.status = 503, .body = "<html>Service Unavailable</html>"};
  // The platform takes the payment, but its answer never arrives.
  const fake::ScriptedReply answerLost{.resetConnection = true};
  const struct {
    const char* name;
    fake::ScriptedReply payment;
    std::optional<fake::ScriptedReply> receipt;  // the platform's own lookup when absent
    bool outcomeUnknown;
  } cases[] = {
      {"answer lost, lookup unanswered", answerLost, unavailable, true},
      {"a 5xx error object, lookup unreadable",
       {.status = 503,
        .body = R"({"status":"error","error":"unavailable","tag":"payment","message":"Later"})"},
       fake::ScriptedReply{.status = 200, .body = "[1,"},
       true},
      {"refused, lookup unanswered", {.status = 409, .body = kPlatformError}, unavailable, false},
      // No lookup without the receipt settles a payment that got no answer.
      {"answer lost on a payment not taken, the platform's own lookup",
       {.status = 200, .body = "{}", .resetConnection = true},
       std::nullopt,
       true},
      {"answer lost, lookup limited", answerLost,
       fake::ScriptedReply{.status = 429, .body = kPlatformError}, true},
      {"answer lost, lookup timed out by a front end", answerLost,
       fake::ScriptedReply{.status = 408, .body = "<html>Request Timeout</html>"}, true},
      {"answer lost, lookup unauthorised", answerLost,
       fake::ScriptedReply{.status = 401, .body = kPlatformError}, true},
      {"answer lost, lookup found nothing", answerLost,
       fake::ScriptedReply{.status = 404, .body = kPlatformError}, true},
      {"answer lost, lookup succeeded without a receipt", answerLost,
       fake::ScriptedReply{.status = 200, .body = "{}"}, true},
  };
  const auto session = store().session;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    // A failed payment drops the session it was made in.
    internal::StoreState::set(&internal::StoreValues::session, session);
    ASSERT_NO_FATAL_FAILURE(openOnANewBasket());
    platform_->script("POST", "/api/client/payment", c.payment);
    if (c.receipt)
      platform_->script("GET", receiptPath(ids_.basketId), *c.receipt);
    view().post("showReceipt", kMediumTee);
    ASSERT_TRUE(waitForStatement("displayErrorDiv()"));
    const Json error = parseStatement(view().statements.end()[-2]).second;
    EXPECT_EQ(error["message"].get<std::string>().rfind(std::string(internal::kPaymentNotMade), 0),
              0u);
    EXPECT_EQ(error.value("paymentOutcome", ""), c.outcomeUnknown ? "unknown" : "") << error;
    EXPECT_EQ(requestsTo("/api/client/payment").size(), 1u);
    platform_->clearScripts();
    platform_->clearRequests();
  }
}

TEST_F(ProductPagePurchase, EachItemIsComparedByTheFiguresBothBasketsGiveForIt) {
  const struct {
    const char* name;
    std::function<void(Json& items)> lookUp;  // from the tee and the gift bag the page shows
    bool pays;
  } cases[] = {
      {"the tee repriced, the bag's price left out",
       [](Json& items) {
         items[0]["price"] = 9900;
         items[1].erase("price");
       },
       false},
      {"the tee's quantity changed, the bag's left out",
       [](Json& items) {
         items[0]["qty"] = 2;
         items[1].erase("qty");
       },
       false},
      {"the items in another order, the bag's price left out",
       [](Json& items) {
         items[1].erase("price");
         std::swap(items[0], items[1]);
       },
       true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_NO_FATAL_FAILURE(openOnANewBasket());
    // The platform adds a gift bag to the basket the page shows.
    Json shown = encodeToJSON(*actionHandler()->currentPage()->shownBasket);
    shown["items"].push_back({{"sku", "gift-bag"}, {"qty", 1}, {"price", 0}});
    platform_->script("POST", "/api/client/pos/update-basket",
                      {.status = 200, .body = shown.dump(), .times = 1});
    view().post("skuChanged", kMediumTee);
    ASSERT_TRUE(runMainLoopUntil(
        [&] { return actionHandler()->currentPage()->shownBasket->items->size() == 2; }));
    Json looked = shown;
    c.lookUp(looked["items"]);
    platform_->script("GET", "/api/client/basket/" + ids_.basketId,
                      {.status = 200, .body = looked.dump(), .times = 1});
    view().post("showReceipt", kMediumTee);
    ASSERT_TRUE(waitForStatement(c.pays ? "setValues()" : "displayErrorDiv()"));
    EXPECT_EQ(requestsTo("/api/client/payment").size(), c.pays ? 1u : 0u);
    if (!c.pays) {
      const std::string error = parseStatement(view().statements.end()[-2]).second["message"];
      EXPECT_NE(error.find("The basket changed"), std::string::npos) << error;
    }
    platform_->clearRequests();
  }
}

TEST_F(ProductPagePurchase, APurchaseEndsInTheViewThatBoughtWhileTheNextPageFillsWithItsOwn) {
  open();
  RecordingWebView& buying = view();
  platform_->script("POST", "/api/client/payment",
                    {.delay = std::chrono::milliseconds(400), .times = 1});
  buying.post("showReceipt", kMediumTee);
  ASSERT_TRUE(runMainLoopUntil([&] { return !requestsTo("/api/client/payment").empty(); }));
  // The shopper goes on with a new basket and the next product, keeping the points for later.
  ASSERT_FALSE(await<Basket>([&](auto done) { api_.createBasket(done); }).error);
  const std::string nextBasket = Store::basket()->id.value();
  internal::StoreState::set(&internal::StoreValues::shopperLoyaltyPoints, 0);
  internal::StoreState::set(&internal::StoreValues::merchantName, "Harbour Outfitters");
  const std::string css = "https://cdn.example/next.css";
  open(kOfferCode, {{"receiptCssUrl", css}}, false);
  ASSERT_TRUE(runMainLoopUntil(
      [&] { return !buying.statements.empty() && buying.statements.back() == "setValues()"; }));
  ASSERT_TRUE(waitForStatement("populateProductDetails()"));
  EXPECT_EQ(shownReceipt(buying)["productName"], "Trail tee, medium");
  EXPECT_EQ(shownReceipt(view()), Json());
  EXPECT_EQ(bodyOf("/api/client/pos/update-basket")["basket-id"], nextBasket);
  EXPECT_EQ(bodyOf("/api/client/basket/loyalty")["basket-id"], nextBasket);

  // The first purchase's end cleared the Store's receipt settings; the next page kept its own.
  view().post("showReceipt", kMediumTee);
  ASSERT_TRUE(waitForStatement("setValues()"));
  const auto& ran = view().statements;
  EXPECT_EQ(parseStatement(ran.end()[-3]).second,
            Json({{"merchantName", "Harbour Outfitters"}, {"css", css}}));
  EXPECT_EQ(shownReceipt(view())["merchantName"], "Harbour Outfitters");
}

TEST_F(ProductPagePurchase, AReplacedPagesLateFillChangesNothingThatTheNewPageBuys) {
  platform_->script("GET", "/api/client/pos/sku-availability/*",
                    {.delay = std::chrono::milliseconds(300), .times = 1});
  open(kOfferCode, {}, false);
  open();
  platform_->clearRequests();
  view().post("skuChanged", kLargeTee);
  ASSERT_TRUE(waitForStatement("setUpdatedPaymentSummary()"));
  // The first page's chain reaches its fill only now.
  runMainLoopFor(std::chrono::milliseconds(400));
  view().post("showReceipt", kLargeTee);
  ASSERT_TRUE(waitForStatement("setValues()"));
  EXPECT_EQ(requestsTo("/api/client/pos/update-basket").size(), 1u);
  const Json receipt = shownReceipt(view());
  EXPECT_EQ(receipt["productName"], "Trail tee, large");
  EXPECT_EQ(receipt["subtotal"], "2700");
  EXPECT_EQ(receipt["payable"], shownSummary(view())["payable"]);
}

}  // namespace
}  // namespace zelvora::test
