#pragma once

#include "e2e/FacadeFixture.hpp"
#include "support/RecordingWebView.hpp"

#include <functional>
#include <map>
#include <string>
#include <utility>

namespace zelvora::test {

inline constexpr const char* kOfferCode = "QR-TRAIL-TEE";
inline constexpr const char* kPlatformError =
    R"({"status":"error","error":"not-found","message":"no"})";

// A shopper with a basket and everything the product page needs in the Store, the page's web views
// recorded and its delayed displays run at once.
class ProductPageTest : public FacadeTest {
 protected:
  void SetUp() override {
    FacadeTest::SetUp();
    queue_ = std::make_shared<DelayRecordingQueue>(platform::mainQueue());
    platform::setMainQueueForTesting(queue_);
    platform::setWebViewFactoryForTesting(views_);
    ASSERT_NO_FATAL_FAILURE(openBasket());
    ASSERT_NO_FATAL_FAILURE(fetchPageData());
  }

  // Stores what a page needs besides the basket, as the shopper has it now.
  void fetchPageData() {
    ASSERT_FALSE(await<ModelList<PaymentInstrumentOffer>>([&](auto done) {
                   api_.getPaymentInstruments(done);
                 }).error);
    ASSERT_FALSE(await<ShopperLoyalty>([&](auto done) { api_.getLoyalty(done); }).error);
    ASSERT_FALSE(await<ShopperProfile>([&](auto done) { api_.getShopperProfile(done); }).error);
    platform_->clearRequests();
  }

  void TearDown() override {
    FacadeTest::TearDown();
    platform::setWebViewFactoryForTesting(nullptr);
    platform::setMainQueueForTesting(nullptr);
  }

  // Opens the page and runs the main loop until its completion has run (or for a while, when it
  // is not expected to), running `afterReturn` once the opening has returned. The view, when one
  // was made, is view().
  Outcome<void> open(const std::string& code = kOfferCode,
                     const std::map<std::string, std::string>& config = {},
                     bool expectCompletion = true, const std::function<void()>& afterReturn = {}) {
    auto outcome = std::make_shared<Outcome<void>>();
    api_.displayProductPage(container_, code, config, [outcome](std::optional<Error> error) {
      outcome->error = std::move(error);
      ++outcome->calls;
    });
    outcome->callsBeforeReturn = outcome->calls;
    if (afterReturn)
      afterReturn();
    if (expectCompletion) {
      EXPECT_TRUE(runMainLoopUntil([&] { return outcome->calls > 0; }));
    }
    runMainLoopFor(std::chrono::milliseconds(30));
    return *outcome;
  }

  RecordingWebView& view() { return *views_->made.back(); }

  // Runs the main loop until the view has run this statement.
  bool waitForStatement(const std::string& statement) {
    return runMainLoopUntil([&] {
      const auto& ran = view().statements;
      return std::find(ran.begin(), ran.end(), statement) != ran.end();
    });
  }

  // "METHOD path" of each request, in order.
  std::vector<std::string> calls() const {
    std::vector<std::string> list;
    for (const auto& request : platform_->requests())
      list.push_back(request.method + " " + request.path);
    return list;
  }

  Json bodyOf(const std::string& path) const {
    const auto requests = requestsTo(path);
    return requests.empty() ? Json() : Json::parse(requests.back().body);
  }

  GtkWidget* container_ = nullptr;  // where pages go
  std::shared_ptr<RecordingWebViewFactory> views_ = std::make_shared<RecordingWebViewFactory>();
  std::shared_ptr<DelayRecordingQueue> queue_;
};

// A statement split into its variable and its value; a call has no value.
inline std::pair<std::string, Json> parseStatement(const std::string& statement) {
  const auto equals = statement.find(" = ");
  if (equals == std::string::npos)
    return {statement, Json()};
  return {statement.substr(0, equals), Json::parse(statement.substr(equals + 3))};
}

// The variables and calls of the statements, in order.
inline std::vector<std::string> statementNames(const std::vector<std::string>& statements) {
  std::vector<std::string> names;
  for (const auto& statement : statements)
    names.push_back(parseStatement(statement).first);
  return names;
}

}  // namespace zelvora::test
