// Redirects: followed only within the platform's own origin, so the signed headers, the body and
// the shopper's token never reach another server, and no other server's reply is trusted.
#include "Platform/HostOverrides.hpp"
#include "support/PlatformFixture.hpp"

#include <zelvora/Store.hpp>

#include <curl/curl.h>

#include <memory>
#include <string>

namespace zelvora::test {
namespace {

class Redirects : public PlatformTest {
 protected:
  void SetUp() override {
    PlatformTest::SetUp();
    elsewhere_ = std::make_unique<fake::FakePlatform>(testCredentials());
    platform::overrideHostForTesting("elsewhere.test", "127.0.0.1");
  }

  void TearDown() override {
    elsewhere_.reset();
    PlatformTest::TearDown();
  }

  void redirect(const std::string& method, const std::string& path, int status,
                const std::string& location, int times = -1) {
    platform_->script(method, path,
                      {.status = status, .headers = {{"Location", location}}, .times = times});
  }

  std::unique_ptr<fake::FakePlatform> elsewhere_;
};

TEST_F(Redirects, AwayFromThePlatformsOriginAreNotFollowed) {
  const std::string port = std::to_string(platform_->port());
  const std::string otherPort = std::to_string(elsewhere_->port());
  const struct {
    int status;
    std::string location;
  } cases[] = {
      {302, "http://elsewhere.test:" + otherPort + kShopperPath},  // another host
      {307, "http://platform.test:" + otherPort + kShopperPath},   // another port
      {301, "http://127.0.0.1:" + otherPort + kShopperPath},       // an address
      {308, "https://platform.test:" + port + kShopperPath},       // another scheme
      {303, "ftp://platform.test:" + port + kShopperPath},         // another protocol
  };
  elsewhere_->script("*", "*", {.status = 200, .body = R"({"id":"s-elsewhere"})"});
  for (const auto& c : cases) {
    platform_->clearRequests();
    redirect("GET", kShopperPath, c.status, c.location);
    SCOPED_TRACE(c.location);
    expectError(lookUpShopper(), Error::transportDomain, c.status);
    EXPECT_EQ(platform_->requests().size(), 1u);
  }
  EXPECT_TRUE(elsewhere_->requests().empty());
}

TEST_F(Redirects, ATokenPostedAwayGoesNowhereAndNothingIsStored) {
  const auto before = await<Session>([&](auto done) { api_.createSession(done); });
  ASSERT_FALSE(before.error);
  elsewhere_->script("*", "*",
                     {.status = 200, .body = R"({"id":"evil","shopper-id":"evil-shopper"})"});
  redirect("POST", "/api/client/session/authenticate-shopper", 307,
           "http://elsewhere.test:" + std::to_string(elsewhere_->port()) +
               "/api/client/session/authenticate-shopper");
  expectError(await<Session>(
                  [&](auto done) { api_.authenticateShopper("shopper-7", "auth-token-7", done); }),
              Error::transportDomain, 307);
  EXPECT_TRUE(elsewhere_->requests().empty());
  EXPECT_EQ(Store::session()->id, before.value->id);
  EXPECT_EQ(Store::session()->shopperId, std::nullopt);
}

TEST_F(Redirects, WithinTheOriginAreFollowedToTheirReply) {
  platform_->script("GET", "/api/client/shopper/s-2", {.status = 200, .body = R"({"id":"s-2"})"});
  redirect("GET", kShopperPath, 302,
           "HTTP://Platform.Test:" + std::to_string(platform_->port()) + "/api/client/shopper/s-2");
  const auto outcome = lookUpShopper();
  expectSuccessLater(outcome);
  EXPECT_EQ(outcome.value->id, "s-2");
}

TEST_F(Redirects, WithinTheOriginChangeTheMethodAsAUrlSessionDoes) {
  const struct {
    std::string method;
    int status;
    std::string methodAfter;
  } cases[] = {
      {"POST", 301, "GET"},  {"POST", 302, "GET"},  {"POST", 303, "GET"},
      {"POST", 307, "POST"}, {"POST", 308, "POST"}, {"GET", 307, "GET"},
  };
  for (const auto& c : cases) {
    platform_->clearRequests();
    const std::string path = c.method == "POST" ? "/api/client/session" : kShopperPath;
    redirect(c.method, path, c.status, "/api/client/moved", 1);
    if (c.method == "POST") {
      await<Session>([&](auto done) { api_.createSession(done); });
    } else {
      lookUpShopper();
    }
    const auto sent = platform_->requests();
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].path, "/api/client/moved");
    EXPECT_EQ(sent[1].method, c.methodAfter) << c.status;
    EXPECT_EQ(sent[1].body, c.methodAfter == "POST" ? sent[0].body : "") << c.status;
  }
}

TEST_F(Redirects, ALoopEndsAfterSixteenFollowed) {
  redirect("GET", kShopperPath, 302, kShopperPath);
  expectError(lookUpShopper(), Error::curlDomain, CURLE_TOO_MANY_REDIRECTS);
  EXPECT_EQ(requestsTo(kShopperPath).size(), 17u);
}

}  // namespace
}  // namespace zelvora::test
