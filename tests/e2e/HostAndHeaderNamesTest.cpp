// Names on the wire, host names and header names, are protocol text: the same rules apply to them
// when the SDK accepts them and when it sends them, whatever the process's locale.
#include "CoreNetworking/Request/URLRequest.hpp"
#include "Platform/HostOverrides.hpp"
#include "fake_platform/Text.hpp"
#include "support/PlatformFixture.hpp"

#include <zelvora/Store.hpp>

#include <clocale>
#include <string>

namespace zelvora::test {
namespace {

using HostAndHeaderNames = PlatformTest;

// The process's C locale for one scope; inactive when the machine lacks it.
class ScopedCLocale {
 public:
  explicit ScopedCLocale(const char* name) : previous_(std::setlocale(LC_ALL, nullptr)) {
    active_ = std::setlocale(LC_ALL, name) != nullptr;
  }
  ~ScopedCLocale() { std::setlocale(LC_ALL, previous_.c_str()); }
  ScopedCLocale(const ScopedCLocale&) = delete;
  ScopedCLocale& operator=(const ScopedCLocale&) = delete;

  bool active() const { return active_; }

 private:
  std::string previous_;
  bool active_ = false;
};

// Turkish rules fold "I" to a dotless i and "i" to a dotted I, which the C library's single-byte
// tolower and toupper cannot express, so they leave both letters as they are.
TEST_F(HostAndHeaderNames, HeaderNamesFoldByAsciiUnderATurkishLocale) {
  const ScopedCLocale turkish("tr_TR.UTF-8");
  if (!turkish.active()) {
    GTEST_SKIP() << "the tr_TR.UTF-8 locale is not installed (scripts/setup generates it)";
  }
  HeaderFields fields;
  fields.set("X-Id", "first");
  fields.set("x-iD", "second");
  EXPECT_EQ(fields.entries().size(), 1u);
  EXPECT_EQ(fields.get("X-ID"), "second");
  EXPECT_EQ(fake::lowerCase("X-ID"), "x-id");
  EXPECT_EQ(fake::upperCase("patch-i"), "PATCH-I");

  const auto session = await<Session>([&](auto done) { api_.createSession(done); });
  ASSERT_FALSE(session.error) << session.error->localizedDescription();
  const auto sent = requestsTo("/api/client/session");
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].headers.at("content-type"), "application/json");
  EXPECT_TRUE(sent[0].signatureValid);
}

// The "host" setting's pattern admits "_", and so do libcurl and the resolver: a host the SDK
// accepts is a host it reaches.
TEST_F(HostAndHeaderNames, AHostWithAnUnderscoreIsAcceptedAndReached) {
  const std::string host = "shop_platform.test:" + std::to_string(platform_->port());
  platform::overrideHostForTesting("shop_platform.test", "127.0.0.1");
  const auto& credentials = testCredentials();
  std::optional<bool> initialized;
  api_.initialize(credentials.merchantId, credentials.apiKey, credentials.apiSecret,
                  {{"host", "http://" + host}},
                  [&](bool success, std::optional<Error>) { initialized = success; });
  EXPECT_EQ(initialized, true);

  answerShopperWith(200, R"({"id":"s-1"})");
  expectSuccessLater(lookUpShopper());
  const auto sent = requestsTo(kShopperPath);
  ASSERT_EQ(sent.size(), 1u);
  EXPECT_EQ(sent[0].headers.at("host"), host);
}

}  // namespace
}  // namespace zelvora::test
