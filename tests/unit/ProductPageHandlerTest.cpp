// The product page's script messages and the purchase, on a recording web view against the fake
// platform.
#include "CoreOperations/DravixActionHandler.hpp"
#include "Helpers/Extensions.hpp"
#include "unit/ProductPageFixture.hpp"

namespace zelvora::test {
namespace {

using internal::actionHandler;
using ProductPageMessages = ProductPageTest;

constexpr const char* kPlatformError = R"({"status":"error","error":"not-found","message":"no"})";
const Json kLargeTee = {{"sku", "trail-tee-l"}, {"name", "Trail tee, large"}, {"price", "+2700"}};

TEST(ProductPagePrice, WholeNumbersWithinSixtyFourBitsAreAPriceAndNothingElse) {
  const std::pair<Json, std::optional<std::int64_t>> cases[] = {{"250", 250},
                                                                {250, 250},
                                                                {"+5", 5},
                                                                {"-5", -5},
                                                                {"0", 0},
                                                                {"9223372036854775807", INT64_MAX},
                                                                {"", {}},
                                                                {"+", {}},
                                                                {"-", {}},
                                                                {"2.50", {}},
                                                                {2.5, {}},
                                                                {" 5", {}},
                                                                {"5a", {}},
                                                                {"+-5", {}},
                                                                {"9223372036854775808", {}},
                                                                {nullptr, {}},
                                                                {true, {}},
                                                                {Json::array({1}), {}},
                                                                {9223372036854775808ull, {}}};
  for (const auto& [price, expected] : cases)
    EXPECT_EQ(internal::parsePrice(price), expected) << price;
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

TEST_F(ProductPageMessages, SkuChangeUpdatesTheBasketThenSendsStoresAndSummary) {
  open();
  platform_->clearRequests();
  view().statements.clear();
  view().post("skuChanged", kLargeTee);
  ASSERT_TRUE(waitForStatement("setUpdatedPaymentSummary()"));

  EXPECT_EQ(calls(),
            (std::vector<std::string>{"POST /api/client/pos/update-basket",
                                      "GET /api/client/pos/sku-availability/merchant/" +
                                          testCredentials().merchantId + "/sku/trail-tee-l"}));
  EXPECT_EQ(
      bodyOf("/api/client/pos/update-basket")["items"],
      Json::parse(R"([{"sku":"trail-tee-l","qty":1.0,"price":2700,"name":"Trail tee, large"}])"));
  const auto& ran = view().statements;
  ASSERT_EQ(statementNames(ran),
            (std::vector<std::string>{"ib_stores", "setUpdatedStores()", "ib_paymentSummary",
                                      "setUpdatedPaymentSummary()"}));
  EXPECT_EQ(parseStatement(ran[0]).second.size(), 2u);
  const Json summary = parseStatement(ran[2]).second;
  EXPECT_EQ(summary["subtotal"], "2700");
  EXPECT_EQ(summary["cardAlias"], "Travel credit");
  EXPECT_EQ(summary.size(), 10u);
}

TEST_F(ProductPageMessages, LoyaltyMessagesRedeemThenResendOnlyTheSummary) {
  open();
  view().post("skuChanged", kLargeTee);
  ASSERT_TRUE(waitForStatement("setUpdatedPaymentSummary()"));
  for (const auto& [message, points] : {std::pair{"removeLoyalty", 0}, {"applyLoyalty", 500}}) {
    SCOPED_TRACE(message);
    platform_->clearRequests();
    view().statements.clear();
    view().post(message);
    ASSERT_TRUE(waitForStatement("setUpdatedPaymentSummary()"));
    EXPECT_EQ(calls(), (std::vector<std::string>{"POST /api/client/basket/loyalty",
                                                 "POST /api/client/pos/update-basket"}));
    EXPECT_EQ(bodyOf("/api/client/basket/loyalty")["points"], points);
    EXPECT_EQ(bodyOf("/api/client/pos/update-basket")["items"][0]["sku"], "trail-tee-l");
    ASSERT_EQ(statementNames(view().statements),
              (std::vector<std::string>{"ib_paymentSummary", "setUpdatedPaymentSummary()"}));
    EXPECT_EQ(parseStatement(view().statements[0]).second["cashRewards"], std::to_string(points));
  }
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

TEST_F(ProductPageMessages, EachOpeningStartsWithoutTheItemOfTheLast) {
  open();
  view().post("skuChanged", kLargeTee);
  ASSERT_TRUE(waitForStatement("setUpdatedPaymentSummary()"));
  open();
  platform_->clearRequests();
  view().post("removeLoyalty");
  ASSERT_TRUE(runMainLoopUntil([&] { return calls().size() == 2; }));
  EXPECT_EQ(bodyOf("/api/client/pos/update-basket")["items"], Json::parse(R"([{"qty":1.0}])"));
}

}  // namespace
}  // namespace zelvora::test
