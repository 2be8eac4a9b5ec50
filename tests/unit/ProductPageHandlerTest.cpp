// The product page's script messages and the purchase, on a recording web view against the fake
// platform.
#include "CoreOperations/DravixActionHandler.hpp"
#include "Helpers/Extensions.hpp"
#include "unit/ProductPageFixture.hpp"

namespace zelvora::test {
namespace {

using internal::actionHandler;
using ProductPageMessages = ProductPageTest;

const Json kLargeTee = {{"sku", "trail-tee-l"}, {"name", "Trail tee, large"}, {"price", "+2700"}};

TEST(ProductPagePrice, WholeNumbersWithinSixtyFourBitsAreAPriceAndNothingElse) {
  const std::pair<Json, std::int64_t> prices[] = {
      {"250", 250}, {250, 250}, {"+5", 5}, {"-5", -5}, {"9223372036854775807", INT64_MAX}};
  for (const auto& [price, value] : prices)
    EXPECT_EQ(internal::parsePrice(price), value) << price;
  const Json others = Json::parse(R"(["", "+", "-", "2.50", 2.5, " 5", "5a", "+-5", null, true,
      "9223372036854775808", 9223372036854775808, [1]])");
  for (const auto& price : others)
    EXPECT_FALSE(internal::parsePrice(price)) << price;
}

TEST(ProductPageProtocol, DataCannotLeaveItsStatementAndErrorsReadAsOptionals) {
  const internal::page::PageObject value = {{"m", "a\"b</script>&\xe2\x80\xa8\xff"}};
  EXPECT_EQ(internal::page::assignment("ib_x", value),
            R"(ib_x = {"m":"a\"b\u003c/script\u003e\u0026\u2028\ufffd"})");
  EXPECT_EQ(internal::page::errorText(std::nullopt), "nil");
  EXPECT_EQ(internal::page::errorText(Error::transport(-9006, "Empty body.")),
            "Optional(Error Domain=com.Zelvora.error Code=-9006 \"The operation could not be "
            "completed. Empty body.\" UserInfo={NSLocalizedFailureReason=Empty body.})");
}

TEST_F(ProductPageMessages, SkuAndLoyaltyChangesUpdateTheBasketAndResendTheirStatements) {
  open();
  using Names = std::vector<std::string>;
  const Names redeemed{"POST /api/client/basket/loyalty", "POST /api/client/pos/update-basket"};
  const Names summary{"ib_paymentSummary", "setUpdatedPaymentSummary()"};
  const struct {
    const char* message;
    Names calls, statements;
    const char* key;
    const char* value;
  } changes[] = {
      {"skuChanged",
       {"POST /api/client/pos/update-basket", "GET /api/client/pos/sku-availability/merchant/" +
                                                  testCredentials().merchantId +
                                                  "/sku/trail-tee-l"},
       {"ib_stores", "setUpdatedStores()", summary[0], summary[1]},
       "subtotal",
       "2700"},
      {"removeLoyalty", redeemed, summary, "cashRewards", "0"},
      {"applyLoyalty", redeemed, summary, "cashRewards", "500"},
  };
  for (const auto& change : changes) {
    SCOPED_TRACE(change.message);
    platform_->clearRequests();
    view().statements.clear();
    view().post(change.message, kLargeTee);
    ASSERT_TRUE(waitForStatement("setUpdatedPaymentSummary()"));
    EXPECT_EQ(calls(), change.calls);
    // The loyalty messages put the item of the last "skuChanged" into the basket.
    EXPECT_EQ(bodyOf("/api/client/pos/update-basket")["items"],
              Json::parse(R"([{"sku":"trail-tee-l","qty":1.0,"price":2700,
                               "name":"Trail tee, large"}])"));
    ASSERT_EQ(statementNames(view().statements), change.statements);
    const Json sent = parseStatement(view().statements[change.statements.size() - 2]).second;
    EXPECT_EQ(sent[change.key], change.value);
    EXPECT_EQ(sent.size(), 10u);
  }
  EXPECT_EQ(bodyOf("/api/client/basket/loyalty")["points"], 500);
}

TEST_F(ProductPageMessages, FailedCallsAreKeptInErrMsgAndShowNothing) {
  open();
  struct Case {
    const char* message;
    const char* failingPath;
    std::string_view prefix;
  } cases[] = {
      {"skuChanged", "/api/client/pos/update-basket", internal::kUpdatingBasketFailed},
      {"applyLoyalty", "/api/client/basket/loyalty", internal::kLoyaltyNotRedeemed},
  };
  for (const auto& [message, failingPath, prefix] : cases) {
    SCOPED_TRACE(message);
    platform_->script("POST", failingPath, {.status = 400, .body = kPlatformError});
    view().statements.clear();
    actionHandler()->errMsg.reset();
    view().post(message, kLargeTee);
    ASSERT_TRUE(runMainLoopUntil([] { return actionHandler()->errMsg.has_value(); }));
    EXPECT_EQ(actionHandler()->errMsg->rfind(
                  std::string(prefix) + "Optional(Error Domain=com.Zelvora.error Code=", 0),
              0u)
        << *actionHandler()->errMsg;
    EXPECT_TRUE(view().statements.empty());
  }

  platform_->clearScripts();
  platform_->script("GET", "/api/client/pos/sku-availability/*",
                    {.status = 200, .body = R"({"stores":[]})"});
  view().post("skuChanged", kLargeTee);
  ASSERT_TRUE(waitForStatement("setUpdatedPaymentSummary()"));
  EXPECT_EQ(actionHandler()->errMsg, "Error fetching stores for sku: nil");
  EXPECT_EQ(view().statements[0], R"(ib_stores = [{"name":"Not available at store"}])");
}

TEST_F(ProductPageMessages, MessagesOfTheWrongNameOrShapeOrFromAnOlderPageAreIgnored) {
  open();
  RecordingWebView& older = view();
  open();
  platform_->clearRequests();
  const std::pair<const char*, Json> ignored[] = {
      {"SkuChanged", kLargeTee}, {"skuChanged", "trail-tee-l"}, {"showReceipt", Json::array()}};
  for (const auto& [name, body] : ignored)
    view().post(name, body);
  older.post("skuChanged", kLargeTee);
  older.post("applyLoyalty");
  runMainLoopFor(std::chrono::milliseconds(100));
  EXPECT_TRUE(calls().empty());
  EXPECT_EQ(view().loads.size(), 1u);
}

TEST_F(ProductPageMessages, EachOpeningStartsWithItsOwnFirstItemRatherThanTheLastPages) {
  open();
  view().post("skuChanged", kLargeTee);
  ASSERT_TRUE(waitForStatement("setUpdatedPaymentSummary()"));
  open();
  const Json firstItem = bodyOf("/api/client/pos/update-basket")["items"];
  ASSERT_EQ(firstItem[0]["sku"], "trail-tee-m");
  platform_->clearRequests();
  view().post("removeLoyalty");
  ASSERT_TRUE(runMainLoopUntil([&] { return calls().size() == 2; }));
  EXPECT_EQ(bodyOf("/api/client/pos/update-basket")["items"], firstItem);
  // The basket still holds the item on show, which Buy then pays for.
  view().post("showReceipt", firstItem[0]);
  EXPECT_TRUE(waitForStatement("setValues()"));
}

std::string availabilityOf(const std::string& sku) {
  return "GET /api/client/pos/sku-availability/merchant/" + testCredentials().merchantId + "/sku/" +
         sku;
}

// How many of the view's statements set this variable or call this function.
std::ptrdiff_t ranCount(const RecordingWebView& view, const std::string& name) {
  return std::count_if(view.statements.begin(), view.statements.end(), [&](const auto& statement) {
    return parseStatement(statement).first == name;
  });
}

TEST_F(ProductPageMessages, MessagesWaitTheirTurnAndALaterOneReplacesTheWaitingOneOfItsKind) {
  open();
  platform_->clearRequests();
  view().statements.clear();
  platform_->script("POST", "/api/client/pos/update-basket",
                    {.delay = std::chrono::milliseconds(200), .times = 1});
  const Json mediumTee = {{"sku", "trail-tee-m"}, {"name", "Trail tee, medium"}, {"price", 2500}};
  view().post("skuChanged", kLargeTee);  // goes out at once
  view().post("skuChanged", mediumTee);
  view().post("removeLoyalty");
  view().post("applyLoyalty");           // replaces "removeLoyalty"
  view().post("skuChanged", mediumTee);  // replaces the first medium, behind "applyLoyalty"
  ASSERT_TRUE(runMainLoopUntil([&] { return ranCount(view(), "ib_paymentSummary") == 3; }));

  // Each request went out once the one before had been answered and its figures shown.
  const std::string update = "POST /api/client/pos/update-basket";
  EXPECT_EQ(calls(), (std::vector<std::string>{update, availabilityOf("trail-tee-m"),
                                               "POST /api/client/basket/loyalty", update, update,
                                               availabilityOf("trail-tee-m")}));
  EXPECT_EQ(bodyOf("/api/client/basket/loyalty")["points"], 500);
  const auto updates = requestsTo("/api/client/pos/update-basket");
  for (std::size_t i = 0; i < updates.size(); ++i)
    EXPECT_EQ(Json::parse(updates[i].body)["items"][0]["sku"],
              i == 0 ? "trail-tee-l" : "trail-tee-m");
  const auto& ran = view().statements;
  ASSERT_EQ(ran.back(), "setUpdatedPaymentSummary()");
  const Json summary = parseStatement(ran[ran.size() - 2]).second;
  EXPECT_EQ(summary["subtotal"], "2500");
  EXPECT_EQ(summary["cashRewards"], "500");
}

TEST_F(ProductPageMessages, AReplacedPagesWaitingMessagesAreDroppedAndItsRepliesReachOnlyIt) {
  open();
  RecordingWebView& older = view();
  platform_->clearRequests();
  platform_->script("POST", "/api/client/pos/update-basket",
                    {.delay = std::chrono::milliseconds(300), .times = 1});
  view().post("skuChanged", kLargeTee);
  view().post("removeLoyalty");
  open();
  // The late reply's figures go to the page that asked; the new page gets its own fill alone.
  ASSERT_TRUE(runMainLoopUntil([&] { return ranCount(older, "ib_paymentSummary") == 2; }));
  EXPECT_EQ(ranCount(view(), "ib_paymentSummary"), 1);
  EXPECT_EQ(view().statements.back(), "populateProductDetails()");
  const auto redemptions = requestsTo("/api/client/basket/loyalty");
  ASSERT_EQ(redemptions.size(), 1u);
  EXPECT_EQ(Json::parse(redemptions[0].body)["points"], 500);
}

}  // namespace
}  // namespace zelvora::test
