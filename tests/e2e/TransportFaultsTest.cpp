// How calls end when the platform, the network or the data misbehave: always exactly one
// completion, on the main queue, after the call has returned, with the fitting error.
#include "APIs/Generated/ClientAPI.hpp"
#include "CoreNetworking/Networking.hpp"
#include "Helpers/Constants.hpp"
#include "Helpers/StoreState.hpp"
#include "e2e/TransportFixture.hpp"

#include <zelvora/models/Models.hpp>

#include <curl/curl.h>
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace zelvora {
namespace {

using namespace std::chrono_literals;

using TransportFaults = test::TransportTest;

TEST_F(TransportFaults, RepliesThatAreNotAModelEndAsTheirError) {
  const struct {
    int status;
    std::string body;
    std::string domain;
    long long code;
    std::optional<std::string> reason;
  } cases[] = {
      {200, "", "com.Zelvora.error", -9006, "JSON could not be serialized."},
      {200, "<html>oops</html>", std::string(Error::jsonDomain), 101, std::nullopt},
      {200, "{\"first-name\":\"\xff\xfe\"}", std::string(Error::jsonDomain), 101, std::nullopt},
      {200, R"({"status":"error","errors":[{"param":"shopper-id","error":"unknown"}]})",
       "com.Zelvora.error", 111, "shopper-id - unknown"},
      {400, R"({"status":"error","error":"bad-request","tag":"t","message":"No such shopper"})",
       "com.Zelvora.error", 123, "No such shopper"},
      {500, R"({"trace":"NullPointerException"})", "com.Zelvora.error", 500, std::nullopt},
      {503, "[]", "com.Zelvora.error", 503, std::nullopt},
      {200, "[1,2]", "com.Zelvora.error", -9004, "Could not convert response to desired type"},
      {200, R"({"id":17})", "com.Zelvora.error", -9004,
       "Could not convert response to desired type"},
  };
  for (const auto& c : cases) {
    answerShopperWith(c.status, c.body);
    const auto outcome = lookUpShopper();
    expectOnce(outcome);
    EXPECT_EQ(outcome.value, nullptr) << c.body;
    ASSERT_TRUE(outcome.error) << c.body;
    EXPECT_EQ(outcome.error->domain(), c.domain) << c.body;
    EXPECT_EQ(outcome.error->code(), c.code) << c.body;
    if (c.reason) {
      EXPECT_EQ(outcome.error->failureReason(), c.reason) << c.body;
    }
  }
}

TEST_F(TransportFaults, NoContentAndNullAreSuccessesWithoutAValue) {
  for (const auto& [status, body] :
       {std::pair{204, std::string(R"({"id":"ignored"})")}, std::pair{200, std::string("null")}}) {
    answerShopperWith(status, body);
    const auto outcome = lookUpShopper();
    expectOnce(outcome);
    EXPECT_EQ(outcome.value, nullptr);
    EXPECT_FALSE(outcome.error) << outcome.error->localizedDescription();
  }
}

TEST_F(TransportFaults, AnEntityInsideAGoodReplyDoesNotLoseIt) {
  answerShopperWith(200, R"({"id":"s-1","merchant-shopper-id":"Ada &quot;the first&quot;"})");
  const auto outcome = lookUpShopper();
  ASSERT_NE(outcome.value, nullptr);
  EXPECT_EQ(outcome.value->id, "s-1");
}

TEST_F(TransportFaults, ATenMegabyteReplyIsReadWhole) {
  const std::string name(10 * 1024 * 1024, 'n');
  answerShopperWith(200, R"({"id":"s-1","merchant-shopper-id":")" + name + "\"}");
  const auto outcome = lookUpShopper();
  expectOnce(outcome);
  ASSERT_NE(outcome.value, nullptr);
  EXPECT_EQ(outcome.value->merchantShopperId->size(), name.size());
}

TEST_F(TransportFaults, ADroppedConnectionIsTheTransportsError) {
  fake::ScriptedReply drop;
  drop.dropConnection = true;
  platform_->script("GET", "/api/client/shopper/s-1", drop);
  const auto outcome = lookUpShopper();
  expectOnce(outcome);
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->domain(), Error::curlDomain);
  EXPECT_EQ(outcome.error->code(), CURLE_GOT_NOTHING);
}

TEST_F(TransportFaults, ARefusedConnectionIsTheTransportsError) {
  const auto port = platform_->port();
  platform_.reset();
  Constants::setServerAddress({"http", test::kPlatformHostName, port});
  const auto outcome = lookUpShopper();
  expectOnce(outcome);
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->domain(), Error::curlDomain);
  EXPECT_EQ(outcome.error->code(), CURLE_COULDNT_CONNECT);
  platform_ = std::make_unique<fake::FakePlatform>(test::testCredentials());
}

TEST_F(TransportFaults, ASilentPlatformTimesOut) {
  fake::ScriptedReply hang;
  hang.noReply = true;
  platform_->script("GET", "/api/client/shopper/s-1", hang);
  Networking::sharedManager().setIdleTimeoutForTesting(1s);
  const auto outcome = lookUpShopper();
  Networking::sharedManager().setIdleTimeoutForTesting(60s);
  expectOnce(outcome);
  ASSERT_TRUE(outcome.error);
  EXPECT_EQ(outcome.error->domain(), Error::curlDomain);
  EXPECT_EQ(outcome.error->code(), CURLE_OPERATION_TIMEDOUT);
}

TEST_F(TransportFaults, RequestsThatMayNotBeSentNeverReachThePlatform) {
  internal::StoreState::set(&internal::StoreValues::correlationId,
                            std::optional<std::string>("c\r\nX-Evil: 1"));
  expectOnce(lookUpShopper());

  internal::StoreState::set(&internal::StoreValues::correlationId, std::optional<std::string>("c"));
  auto profile = std::make_shared<UpdateShopperProfile>();
  profile->firstName = std::string("\xc3\x28");
  const auto unencodable = await<UpdateShopperProfile>(
      [&](auto done) { ClientAPI::updateShopperProfile(profile, done); });
  EXPECT_EQ(unencodable.calls, 1);
  EXPECT_TRUE(unencodable.error);

  auto line = std::make_shared<BasketLineItem>();
  line->qty = std::numeric_limits<double>::quiet_NaN();
  auto update = std::make_shared<BasketUpdateParam>();
  update->items = ModelList<BasketLineItem>{line};
  EXPECT_TRUE(await<Basket>([&](auto done) { ClientAPI::updateBasket(update, done); }).error);

  Constants::setServerAddress({"https", "a#b.com", 443});
  const auto misdirected = lookUpShopper();
  expectOnce(misdirected);
  EXPECT_TRUE(misdirected.error);

  EXPECT_TRUE(platform_->requests().empty());
}

TEST_F(TransportFaults, CookiesThePlatformSetsGoWithLaterCallsAndTheirCommandLine) {
  fake::ScriptedReply reply;
  reply.status = 200;
  reply.body = R"({"id":"s-1"})";
  reply.headers = {{"Set-Cookie", "visit=v42; Path=/api/client"}};
  reply.times = 1;
  platform_->script("GET", "/api/client/shopper/s-1", reply);
  lookUpShopper();
  lookUpShopper();
  const auto requests = requestsTo("/api/client/shopper/s-1");
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].headers.count("cookie"), 0u);
  EXPECT_EQ(requests[1].headers.at("cookie"), "visit=v42");

  URLRequest next;
  next.url = URLComponents{"http", test::kPlatformHostName, platform_->port(), "/api/client/x",
                           std::nullopt};
  EXPECT_EQ(CancellableRequest(next).cURLRepresentation(),
            "$ curl -i \\\n\t-b \"visit=v42\" \\\n\t\"http://platform.test:" +
                std::to_string(platform_->port()) + "/api/client/x\"");
}

TEST_F(TransportFaults, ManyConcurrentCallsEachCompleteOnceOnTheMainQueue) {
  answerShopperWith(200, R"({"id":"s-1"})");
  constexpr int kCalls = 200;
  std::vector<int> calls(kCalls, 0);
  int offMainThread = 0;
  const auto mainThread = std::this_thread::get_id();
  std::vector<std::thread> callers;
  for (int t = 0; t < 4; ++t) {
    callers.emplace_back([&, t] {
      for (int i = t; i < kCalls; i += 4) {
        ClientAPI::lookUpShopper(
            "s-1", [&, i](std::shared_ptr<Shopper> shopper, std::optional<Error>) {
              offMainThread += std::this_thread::get_id() != mainThread || shopper == nullptr;
              ++calls[i];
            });
      }
    });
  }
  for (auto& caller : callers) {
    caller.join();
  }
  const auto allDone = [&] {
    return std::all_of(calls.begin(), calls.end(), [](int count) { return count > 0; });
  };
  EXPECT_TRUE(test::runMainLoopUntil(allDone, 30s));
  test::runMainLoopFor(50ms);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), 1), kCalls);
  EXPECT_EQ(offMainThread, 0);
  EXPECT_EQ(platform_->requests().size(), static_cast<std::size_t>(kCalls));
}

}  // namespace
}  // namespace zelvora
