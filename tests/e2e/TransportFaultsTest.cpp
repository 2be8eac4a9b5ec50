// How calls end when the platform, the network or the SDK's own network thread misbehave: always
// exactly one completion, on the main queue, after the call has returned, with the fitting error;
// and a burst of calls shares a few connections instead of opening one socket each.
#include "CoreNetworking/Networking.hpp"
#include "Helpers/Constants.hpp"
#include "Helpers/StoreState.hpp"
#include "support/PlatformFixture.hpp"

#include <curl/curl.h>
#include <gmock/gmock.h>
#include <sys/resource.h>

#include <limits>
#include <new>
#include <stdexcept>

namespace zelvora::test {
namespace {

using namespace std::chrono_literals;

class TransportFaults : public PlatformTest {
 protected:
  Outcome<Session> createSession() {
    auto client = std::make_shared<Client>();
    client->deviceId = "DEVICE-E2E";
    client->merchantId = testCredentials().merchantId;
    return await<Session>([&](auto done) { ClientAPI::createSession(client, done); });
  }
};

TEST_F(TransportFaults, RepliesThatAreNotAModelEndAsTheirErrorOrAsNoValue) {
  const struct {
    int status;
    std::string body;
    std::string_view domain;  // empty: a success without a value
    long long code;
  } cases[] = {
      {200, "", Error::transportDomain, -9006},
      {200, "<html>oops</html>", Error::jsonDomain, 101},
      {500, R"({"trace":"NullPointerException"})", Error::transportDomain, 500},
      {503, "[]", Error::transportDomain, 503},
      {200, R"({"id":17})", Error::transportDomain, -9004},
      {204, R"({"id":"ignored"})", "", 0},
      {200, "null", "", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.body);
    answerShopperWith(c.status, c.body);
    const auto outcome = lookUpShopper();
    if (c.domain.empty()) {
      expectSuccessLater(outcome);
      EXPECT_EQ(outcome.value, nullptr);
    } else {
      expectError(outcome, c.domain, c.code);
    }
  }
}

TEST_F(TransportFaults, ARefusedConnectionIsTheTransportsError) {
  const auto port = platform_->port();
  platform_.reset();
  Constants::setServerAddress({"http", kPlatformHostName, port});
  expectError(lookUpShopper(), Error::curlDomain, CURLE_COULDNT_CONNECT);
  platform_ = std::make_unique<fake::FakePlatform>(testCredentials());
}

// libcurl sends a request again on a fresh connection when a reused one ends before any answer,
// and the platform would then act on it twice.
TEST_F(TransportFaults, ARequestWhoseAnswerIsLostOnAReusedConnectionGoesOutOnce) {
  const struct {
    const char* name;
    fake::ScriptedReply lost;
    long long code;
  } cases[] = {
      {"closed", {.dropConnection = true, .times = 1}, CURLE_GOT_NOTHING},
      {"reset", {.resetConnection = true, .times = 1}, CURLE_RECV_ERROR},
  };
  answerShopperWith(200, R"({"id":"s-1"})");
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    expectSuccessLater(lookUpShopper());  // leaves its connection open for the next call
    platform_->script("POST", "/api/client/session", c.lost);
    expectError(createSession(), Error::curlDomain, c.code);
    EXPECT_EQ(requestsTo("/api/client/session").size(), 1u);
    platform_->clearRequests();
  }
}

TEST_F(TransportFaults, AConnectionThePlatformClosedWhileIdleIsNotReusedForTheNextRequest) {
  platform_ = std::make_unique<fake::FakePlatform>(testCredentials(), 0, std::nullopt,
                                                   fake::ConnectionLimits{.headerTimeout = 50ms});
  ASSERT_TRUE(initializeWithHost(platformAddress("http", platform_->port())));
  for (int i = 0; i < 3; ++i) {
    expectSuccessLater(createSession());
    runMainLoopFor(150ms);
  }
  EXPECT_EQ(requestsTo("/api/client/session").size(), 3u);
  EXPECT_EQ(platform_->connectionsAccepted(), 3u);
}

TEST_F(TransportFaults, RequestsThatMayNotBeSentNeverReachThePlatform) {
  internal::StoreState::set(&internal::StoreValues::correlationId,
                            std::optional<std::string>("c\r\nX-Evil: 1"));
  expectOnceLater(lookUpShopper());

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
  expectOnceLater(misdirected);
  EXPECT_TRUE(misdirected.error);

  EXPECT_TRUE(platform_->requests().empty());
}

TEST_F(TransportFaults, CookiesThePlatformSetsGoWithLaterCallsAndTheirCommandLine) {
  platform_->script("GET", kShopperPath,
                    {.status = 200,
                     .body = R"({"id":"s-1"})",
                     .headers = {{"Set-Cookie", "visit=v42; Path=/api/client"}},
                     .times = 1});
  lookUpShopper();
  lookUpShopper();
  const auto requests = requestsTo(kShopperPath);
  ASSERT_EQ(requests.size(), 2u);
  EXPECT_EQ(requests[0].headers.count("cookie"), 0u);
  EXPECT_EQ(requests[1].headers.at("cookie"), "visit=v42");

  URLRequest next;
  next.url =
      URLComponents{"http", kPlatformHostName, platform_->port(), "/api/client/x", std::nullopt};
  EXPECT_EQ(CancellableRequest(next).cURLRepresentation(),
            "$ curl -i \\\n\t-b \"visit=v42\" \\\n\t\"http://platform.test:" +
                std::to_string(platform_->port()) + "/api/client/x\"");
}

TEST_F(TransportFaults, AFailureInTheNetworkThreadsOwnHandlingEndsThatCallAlone) {
  using Stage = Networking::TransferStage;
  const struct {
    Stage stage;
    std::function<void()> fail;
    std::string described;
  } cases[] = {
      {Stage::header, [] { throw std::runtime_error("header refused"); }, "header refused"},
      {Stage::body, [] { throw 42; }, "unknown type"},
      {Stage::completion, [] { throw std::bad_alloc(); }, "bad_alloc"},
  };
  answerShopperWith(200, R"({"id":"s-1"})");
  for (const auto& c : cases) {
    Networking::sharedManager().setFaultForTesting([&c](Stage stage) {
      if (stage == c.stage) {
        c.fail();
      }
    });
    const auto failed = lookUpShopper();
    Networking::sharedManager().setFaultForTesting(nullptr);
    expectError(failed, Error::curlDomain, CURLE_ABORTED_BY_CALLBACK);
    EXPECT_THAT(failed.error->localizedDescription(), testing::HasSubstr(c.described));
    expectSuccessLater(lookUpShopper());
  }
}

// Lowers the soft limit of open descriptors for one scope.
class ScopedDescriptorLimit {
 public:
  explicit ScopedDescriptorLimit(rlim_t limit) {
    getrlimit(RLIMIT_NOFILE, &previous_);
    rlimit lowered = previous_;
    lowered.rlim_cur = std::min(limit, previous_.rlim_max);
    setrlimit(RLIMIT_NOFILE, &lowered);
  }
  ~ScopedDescriptorLimit() { setrlimit(RLIMIT_NOFILE, &previous_); }
  ScopedDescriptorLimit(const ScopedDescriptorLimit&) = delete;
  ScopedDescriptorLimit& operator=(const ScopedDescriptorLimit&) = delete;

 private:
  rlimit previous_{};
};

TEST_F(TransportFaults,
       TwoThousandCallsAtOnceShareSixConnectionsAndEachCompletesOnceOnTheMainQueue) {
  answerShopperWith(200, R"({"id":"s-1"})");
  const ScopedDescriptorLimit limit(1024);
  constexpr int kCalls = 2000;
  std::vector<int> calls(kCalls, 0);
  int failures = 0;
  const auto mainThread = std::this_thread::get_id();
  for (int i = 0; i < kCalls; ++i) {
    ClientAPI::lookUpShopper("s-1", [&, i](std::shared_ptr<Shopper> shopper, auto error) {
      failures += error || !shopper || std::this_thread::get_id() != mainThread;
      ++calls[i];
    });
  }
  const auto allDone = [&] { return std::count(calls.begin(), calls.end(), 0) == 0; };
  EXPECT_TRUE(runMainLoopUntil(allDone, 60s));
  runMainLoopFor(50ms);
  EXPECT_EQ(std::count(calls.begin(), calls.end(), 1), kCalls);
  EXPECT_EQ(failures, 0);
  EXPECT_LE(platform_->connectionsAccepted(), 6u);
}

}  // namespace
}  // namespace zelvora::test
