// Replies and values that try to end the process, rewrite a reply or redirect a signed request:
// each call still ends in exactly one completion, later, on the main queue, with the right value or
// error, and nothing is sent that should not be.
#include "e2e/FacadeFixture.hpp"

#include <curl/curl.h>

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

TEST_F(HostileReplies, NumbersBeyondADoubleEndTheCallWithTheParsersError) {
  ASSERT_NO_FATAL_FAILURE(signIn());
  const std::string huge = std::string(400, '9');
  for (const std::string& number : {std::string("1e999"), huge, "-" + huge}) {
    for (const char* key : {"accrued-points", "not-a-field"}) {
      const std::string body = R"({"shopper-id":"s",")" + std::string(key) + "\":" + number + "}";
      SCOPED_TRACE(body);
      // 406: the parser's "number overflow" out_of_range error.
      expectError(loyaltyAnswered(body), Error::jsonDomain, 406);
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

TEST_F(HostileReplies, AValueThatWouldMakeADotSegmentIsNeverSent) {
  ASSERT_NO_FATAL_FAILURE(openBasket());
  const std::string lookAround = "../../basket/list-active/session/" + ids_.sessionId;
  const auto malformed = [](const auto& outcome) {
    expectError(outcome, Error::curlDomain, CURLE_URL_MALFORMAT);
  };
  malformed(await<ProductOffer>([&](auto done) { api_.getProductOffer(lookAround, done); }));
  malformed(await<SkuFulfillment>([&](auto done) { api_.getSkuAvailability("..", done); }));
  malformed(await<ModelList<Product>>([&](auto done) { api_.getSkusForProduct("p/./x", done); }));
  malformed(await<Basket>([&](auto done) { api_.getBasket("../" + ids_.basketId, done); }));
  EXPECT_TRUE(platform_->requests().empty());
  EXPECT_EQ(Store::basket()->id, ids_.basketId);
  // Escaped dots are a literal segment, sent escaped once more: the product page's codes show it.
}

}  // namespace
}  // namespace zelvora::test
