// Replies and values that try to end the process, rewrite a reply or redirect a signed request:
// each call still ends in exactly one completion, later, on the main queue, with the right value or
// error, and nothing is sent that should not be.
#include "e2e/FacadeFixture.hpp"

#include <curl/curl.h>

#include <functional>

namespace zelvora::test {
namespace {

class HostileReplies : public FacadeTest {
 protected:
  std::string loyaltyPath() const { return "/api/client/shopper/" + ids_.shopperId + "/loyalty"; }

  Outcome<ShopperLoyalty> loyaltyAnswered(std::string body) {
    answer("GET", loyaltyPath(), 200, std::move(body));
    return await<ShopperLoyalty>([&](auto done) { api_.getLoyalty(done); });
  }
};

template <class T>
void expectErrorLater(const Outcome<T>& outcome, std::string_view domain, long long code,
                      const std::string& context) {
  EXPECT_EQ(outcome.calls, 1) << context;
  EXPECT_EQ(outcome.callsBeforeReturn, 0) << context;
  EXPECT_EQ(outcome.value, nullptr) << context;
  ASSERT_TRUE(outcome.error) << context;
  EXPECT_EQ(outcome.error->domain(), domain) << context;
  EXPECT_EQ(outcome.error->code(), code) << context;
}

TEST_F(HostileReplies, NumbersBeyondADoubleEndTheCallWithTheParsersError) {
  ASSERT_NO_FATAL_FAILURE(signIn());
  const std::string huge = std::string(400, '9');
  for (const std::string& number : {std::string("1e999"), huge, "-" + huge}) {
    for (const char* key : {"accrued-points", "not-a-field"}) {
      const std::string body = R"({"shopper-id":"s",")" + std::string(key) + "\":" + number + "}";
      // 406: the parser's "number overflow" out_of_range error.
      expectErrorLater(loyaltyAnswered(body), Error::jsonDomain, 406, body);
    }
  }
  EXPECT_FALSE(loyaltyAnswered(R"({"accrued-points":12})").error);
}

TEST_F(HostileReplies, AValueCannotRewriteTheReplyAroundIt) {
  answer("POST", "/api/client/session", 200,
         R"({"id":"s-9","token":"real-token","state":"new",)"
         R"("merchant-id":"x&quot;,&quot;token&quot;:&quot;INJECTED"})");
  expectSuccessLater(await<Session>([&](auto done) { api_.createSession(done); }));
  const auto session = Store::session();
  ASSERT_NE(session, nullptr);
  EXPECT_EQ(session->token, "real-token");
  EXPECT_EQ(session->merchantId, R"(x","token":"INJECTED)");
}

TEST_F(HostileReplies, EntitiesAreReplacedInValuesAndInRepliesThatNeedThemReplaced) {
  ASSERT_NO_FATAL_FAILURE(signIn());
  const struct {
    std::string body;
    std::optional<std::string> shopperId;
    std::optional<std::int64_t> accruedPoints;
  } cases[] = {
      {R"({"shopper-id":"a &lt;b&gt; &apos;c&apos;","accrued-points":1})", "a <b> 'c'", 1},
      // The first replacement makes "&quot;", which the later one turns into a quote.
      {R"({"shopper-id":"&amp;quot;"})", "\"", std::nullopt},
      {"{&quot;shopper-id&quot;:&quot;s&amp;t&quot;,&quot;accrued-points&quot;:7}", "s&t", 7},
  };
  for (const auto& c : cases) {
    const auto outcome = loyaltyAnswered(c.body);
    expectSuccessLater(outcome);
    ASSERT_NE(outcome.value, nullptr) << c.body;
    EXPECT_EQ(outcome.value->shopperId, c.shopperId) << c.body;
    EXPECT_EQ(outcome.value->accruedPoints, c.accruedPoints) << c.body;
  }
}

TEST_F(HostileReplies, AValueThatWouldMakeADotSegmentIsNeverSent) {
  ASSERT_NO_FATAL_FAILURE(openBasket());
  const std::string lookAround = "../../basket/list-active/session/" + ids_.sessionId;
  const struct {
    std::string name;
    std::function<void(ZelvoraAPI&, std::function<void(std::optional<Error>)>)> call;
  } cases[] = {
      {"product offer QR code",
       [&](ZelvoraAPI& api, auto done) {
         api.getProductOffer(lookAround, [done](auto, auto error) { done(error); });
       }},
      {"SKU",
       [](ZelvoraAPI& api, auto done) {
         api.getSkuAvailability("..", [done](auto, auto error) { done(error); });
       }},
      {"product id",
       [](ZelvoraAPI& api, auto done) {
         api.getSkusForProduct("p/./x", [done](auto, auto error) { done(error); });
       }},
      {"basket id",
       [&](ZelvoraAPI& api, auto done) {
         api.getBasket("../" + ids_.basketId, [done](auto, auto error) { done(error); });
       }},
  };
  for (const auto& c : cases) {
    const auto outcome = await<void>([&](auto done) {
      c.call(api_, [done](std::optional<Error> error) { done(nullptr, std::move(error)); });
    });
    expectErrorLater(outcome, Error::curlDomain, CURLE_URL_MALFORMAT, c.name);
  }
  EXPECT_TRUE(platform_->requests().empty());
  EXPECT_EQ(Store::basket()->id, ids_.basketId);
}

TEST_F(HostileReplies, EscapedDotsStayALiteralSegment) {
  ASSERT_NO_FATAL_FAILURE(openBasket());
  await<Basket>([&](auto done) { api_.getBasket("%2e%2e", done); });
  const auto requests = platform_->requests();
  ASSERT_EQ(requests.size(), 1U);
  EXPECT_EQ(requests.front().target, "/api/client/basket/%252e%252e");
  EXPECT_EQ(requests.front().path, "/api/client/basket/%2e%2e");
}

}  // namespace
}  // namespace zelvora::test
