// Starting the SDK: ZelvoraAPI's constructor and initialize, with its checks, its Store writes and
// its "host" setting.
#include <zelvora/Store.hpp>
#include <zelvora/ZelvoraAPI.hpp>

#include "Helpers/Constants.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/ScriptContext.hpp"
#include "support/FakeScriptContext.hpp"
#include "support/StoreFixtures.hpp"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

namespace zelvora {
namespace {

using internal::StoreState;
using internal::StoreValues;
using Validation = ZelvoraError::DataValidationFailedReason;

const ServerAddress defaultAddress{"https", std::string(Constants::defaultHost), 443};

struct Outcome {
  int calls = 0;
  bool success = false;
  std::optional<Error> error;
};

class InitializeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setJsContextForTesting(script_);
    test::resetStoreAndConstants();
    api_.emplace();
  }
  void TearDown() override {
    test::resetStoreAndConstants();
    platform::setJsContextForTesting(nullptr);
  }

  Outcome initialize(const std::string& id, const std::string& key, const std::string& secret,
                     const ZelvoraAPI::Configuration& configuration = {}) {
    Outcome outcome;
    api_->initialize(id, key, secret, configuration, [&](bool success, std::optional<Error> error) {
      ++outcome.calls;
      outcome.success = success;
      outcome.error = std::move(error);
    });
    return outcome;
  }

  Outcome initializeWithHost(std::any host) {
    return initialize("m", "k", "s", {{"host", std::move(host)}});
  }

  static void expectValidationFailure(const Outcome& outcome, Validation::Kind kind,
                                      std::string_view value) {
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_FALSE(outcome.success);
    ASSERT_TRUE(outcome.error);
    ASSERT_TRUE(outcome.error->zelvoraError());
    const auto reason = outcome.error->zelvoraError()->dataValidationFailedReason();
    ASSERT_TRUE(reason);
    EXPECT_EQ(reason->kind(), kind);
    EXPECT_EQ(reason->value(), value);
  }

  std::shared_ptr<test::FakeScriptContext> script_ = std::make_shared<test::FakeScriptContext>();
  std::optional<ZelvoraAPI> api_;  // made once the fake script context is in place
};

TEST_F(InitializeTest, SucceedsOnceBeforeReturningClearingTheOldContextAndStoringTheCredentials) {
  test::fillStore();
  const Outcome outcome = initialize(
      "merchant-1", "key-1", "secret-1",
      {{"correlation-id", std::string("corr-1")}, {"merchantName", std::string("Shop One")}});
  EXPECT_EQ(outcome.calls, 1);
  EXPECT_TRUE(outcome.success);
  EXPECT_FALSE(outcome.error);
  StoreValues expected;
  expected.merchantId = "merchant-1";
  expected.apiKey = "key-1";
  expected.apiSecret = "secret-1";
  expected.correlationId = "corr-1";
  expected.merchantName = "Shop One";
  EXPECT_EQ(StoreState::snapshot(), expected);
  EXPECT_EQ(Store::merchantId(), "merchant-1");

  int calls = 0;
  api_->initialize("m", "k", "s", [&](bool success, std::optional<Error>) { calls += success; });
  EXPECT_EQ(calls, 1);
  api_->initialize("m2", "k", "s", {});
  EXPECT_EQ(Store::merchantId(), "m2");
}

TEST_F(InitializeTest, EmptyArgumentsAreCheckedInOrderAndStoreNothing) {
  test::fillStore();
  const StoreValues before = StoreState::snapshot();
  const ZelvoraAPI::Configuration settings = {{"host", std::string("http://platform.test:1234")},
                                              {"correlation-id", std::string("c")}};

  expectValidationFailure(initialize("", "k", "s", settings), Validation::Kind::merchantInvalid,
                          "");
  expectValidationFailure(initialize("", "", "", settings), Validation::Kind::merchantInvalid, "");
  expectValidationFailure(initialize("m", "", "s", settings), Validation::Kind::invalidApiKey, "");
  expectValidationFailure(initialize("m", "", "", settings), Validation::Kind::invalidApiKey, "");
  expectValidationFailure(initialize("m", "k", "", settings), Validation::Kind::invalidApiSecret,
                          "");

  EXPECT_EQ(StoreState::snapshot(), before);
  EXPECT_EQ(Constants::serverAddress(), defaultAddress);
}

TEST_F(InitializeTest, HostAsAStringAStringViewOrACStringCounts) {
  EXPECT_TRUE(initializeWithHost(std::string("https://platform.example.com")).success);
  EXPECT_EQ(Constants::serverAddress(), (ServerAddress{"https", "platform.example.com", 443}));
  initializeWithHost(std::string_view("http://view.test:81"));
  EXPECT_EQ(Constants::serverAddress(), (ServerAddress{"http", "view.test", 81}));
  initializeWithHost("http://literal.test:82");  // a const char*
  EXPECT_EQ(Constants::serverAddress(), (ServerAddress{"http", "literal.test", 82}));
}

TEST_F(InitializeTest, AbsentOrNonTextSettingsLeaveTextsEmptyAndTheAddressAsItWas) {
  Constants::setServerAddress({"http", "platform.test", 8080});
  test::fillStore();
  EXPECT_TRUE(initialize("m", "k", "s").success);
  EXPECT_EQ(StoreState::get(&StoreValues::correlationId), "");
  EXPECT_EQ(StoreState::get(&StoreValues::merchantName), "");
  const Outcome outcome = initialize(
      "m", "k", "s",
      {{"host", 443}, {"correlation-id", 3.5}, {"merchantName", std::vector<std::string>{"Shop"}}});
  EXPECT_TRUE(outcome.success);
  EXPECT_EQ(Constants::serverAddress(), (ServerAddress{"http", "platform.test", 8080}));
  EXPECT_EQ(StoreState::get(&StoreValues::correlationId), "");
  EXPECT_EQ(StoreState::get(&StoreValues::merchantName), "");

  EXPECT_TRUE(initializeWithHost(std::any()).success);  // an absent value
  EXPECT_TRUE(initializeWithHost(static_cast<const char*>(nullptr)).success);
  EXPECT_EQ(Constants::serverAddress(), (ServerAddress{"http", "platform.test", 8080}));
}

// A host that fails the pattern, and one that matches it but whose port is not a port: the new
// credentials are stored and the old context is gone, but the address, the correlation id and the
// merchant name are not written.
TEST_F(InitializeTest, StateAfterARejectedHost) {
  for (const char* host : {"https://platform.example.com/api", "http://platform.test:99999"}) {
    test::fillStore();
    Constants::setServerAddress({"http", "platform.test", 8080});
    const Outcome outcome = initialize("new-merchant", "new-key", "new-secret",
                                       {{"host", std::string(host)},
                                        {"correlation-id", std::string("new-correlation")},
                                        {"merchantName", std::string("New Shop")}});
    expectValidationFailure(outcome, Validation::Kind::invalidUrl, host);
    StoreValues expected;
    expected.merchantId = "new-merchant";
    expected.apiKey = "new-key";
    expected.apiSecret = "new-secret";
    expected.correlationId = "old-correlation";
    EXPECT_EQ(StoreState::snapshot(), expected);
    EXPECT_EQ(Constants::serverAddress(), (ServerAddress{"http", "platform.test", 8080}));
  }
}

TEST_F(InitializeTest, FirstInitializeWithABadHostLeavesNoCorrelationId) {
  const Outcome outcome = initializeWithHost(std::string("https://bad host.com"));
  EXPECT_FALSE(outcome.success);
  EXPECT_FALSE(StoreState::get(&StoreValues::correlationId));
  EXPECT_EQ(Store::merchantId(), "m");
}

}  // namespace
}  // namespace zelvora
