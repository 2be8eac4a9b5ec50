// The chain that fills a newly opened product page, against the fake platform.
#include "CoreOperations/ProductPageChain.hpp"
#include "unit/ProductPageFixture.hpp"

#include <atomic>
#include <future>
#include <thread>

namespace zelvora::test {
namespace {

using ProductPageChain = ProductPageTest;

std::string skusPath() {
  return "/api/client/pos/skus/merchant/" + testCredentials().merchantId + "/product/trail-tee";
}
std::string availabilityPath() {
  return "/api/client/pos/sku-availability/merchant/" + testCredentials().merchantId +
         "/sku/trail-tee-m";
}

TEST_F(ProductPageChain, RedeemsTheStoredPointsAddsTheFirstSkuAndThenFillsThePage) {
  const auto basketBefore = store().basket;
  const auto outcome = open();

  EXPECT_EQ(outcome.calls, 1);
  EXPECT_EQ(outcome.callsBeforeReturn, 0);
  EXPECT_FALSE(outcome.error);
  EXPECT_EQ(calls(), (std::vector<std::string>{"GET /api/client/pos/product-offer/QR-TRAIL-TEE",
                                               "GET " + skusPath(), "GET " + availabilityPath(),
                                               "POST /api/client/basket/loyalty",
                                               "POST /api/client/pos/update-basket"}));
  EXPECT_EQ(bodyOf("/api/client/basket/loyalty"),
            Json({{"basket-id", ids_.basketId}, {"points", 500}}));
  const Json update = bodyOf("/api/client/pos/update-basket");
  EXPECT_EQ(update["basket-id"], ids_.basketId);
  EXPECT_EQ(update["items"], Json::parse(R"([{"sku":"trail-tee-m","qty":1.0,"price":2500,
                                                "name":"Trail tee, medium"}])"));
  ASSERT_EQ(update["product-offers"].size(), 1u);
  EXPECT_EQ(update["product-offers"][0]["product-id"], "trail-tee");
  EXPECT_EQ(update.size(), 3u);

  const auto& ran = view().statements;
  ASSERT_EQ(statementNames(ran),
            (std::vector<std::string>{"ib_products", "ib_userProfile", "ib_paymentSummary",
                                      "ib_stores", "ib_config", "populateProductDetails()"}));
  const Json products = parseStatement(ran[0]).second;
  ASSERT_EQ(products.size(), 2u);
  EXPECT_EQ(products[1]["sku"], "trail-tee-l");
  EXPECT_EQ(products[1]["price"], 2700);
  EXPECT_EQ(products[1]["product-features"], Json({{"size", "L"}, {"color", "slate"}}));
  EXPECT_EQ(parseStatement(ran[1]).second,
            Json({{"fullName", "Robin Marsh"},
                  {"shippingAddress", "48 Pier Road, San Francisco, CA, 94107"}}));
  EXPECT_EQ(parseStatement(ran[2]).second, Json({{"cardNumber", "************1881"},
                                                 {"cardAlias", "Travel credit"},
                                                 {"subtotal", "2500"},
                                                 {"tax", "112"},
                                                 {"savings", "500"},
                                                 {"payable", "1512"},
                                                 {"cashRewards", "500"},
                                                 {"value", "500"},
                                                 {"promo", "500"},
                                                 {"totalSavings", "1100"}}));
  EXPECT_EQ(parseStatement(ran[3]).second[1],
            Json({{"name", "Old Mill"}, {"address", "3 Mill Lane"}, {"zip", "94110"}}));
  EXPECT_EQ(parseStatement(ran[4]).second, Json({{"merchantName", ""}}));

  const auto stored = store();
  ASSERT_TRUE(stored.productOffer);
  EXPECT_EQ(stored.productOffer->productId, "trail-tee");
  ASSERT_TRUE(stored.allSkus);
  EXPECT_EQ(stored.allSkus->size(), 2u);
  EXPECT_EQ(stored.basket, basketBefore);
  EXPECT_TRUE(queue_->delays.empty());
}

struct FailingStep {
  const char* name;
  const char* method;  // of the request answered so, if any
  std::string path;
  int status;
  std::string body;
  std::string_view text;
  std::size_t callsMade;
  std::function<void()> meanwhile = [] {};  // once the opening has returned
};

TEST_F(ProductPageChain, AFailingStepCompletesAtOnceAndShowsItsText1300MillisecondsLater) {
  const std::string offer = "/api/client/pos/product-offer/*";
  const FailingStep steps[] = {
      {"offer error", "GET", offer, 404, kPlatformError, internal::kOfferNotFound, 1},
      {"offer without product id", "GET", offer, 200, "{}", internal::kOfferNotFound, 1},
      {"SKU error", "GET", skusPath(), 404, kPlatformError, internal::kNoProductsInOffer, 2},
      {"no SKU", "GET", skusPath(), 200, "[]", internal::kNoProductsInOffer, 2},
      {"first SKU without sku", "GET", skusPath(), 200, R"([{"name":"tee"}])",
       internal::kNoProductsInOffer, 2},
      {"redemption error", "POST", "/api/client/basket/loyalty", 400, kPlatformError,
       internal::kRewardsNotRedeemed, 4},
      {"update error", "POST", "/api/client/pos/update-basket", 400, kPlatformError,
       internal::kItemNotAdded, 5},
  };
  for (const auto& step : steps) {
    SCOPED_TRACE(step.name);
    platform_->clearScripts();
    platform_->clearRequests();
    queue_->delays.clear();
    internal::StoreState::set(&internal::StoreValues::shopperLoyaltyPoints, 500);
    if (step.method)
      platform_->script(step.method, step.path, {.status = step.status, .body = step.body});
    const auto outcome = open(kOfferCode, {}, true, step.meanwhile);
    ASSERT_TRUE(waitForStatement("displayErrorDiv()"));
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.callsBeforeReturn, 0);
    EXPECT_FALSE(outcome.error);
    EXPECT_EQ(calls().size(), step.callsMade);
    EXPECT_EQ(view().statements,
              (std::vector<std::string>{"ib_error = " + Json({{"message", step.text}}).dump(),
                                        "displayErrorDiv()"}));
    EXPECT_EQ(queue_->delays,
              std::vector<std::chrono::milliseconds>{std::chrono::milliseconds(1300)});
  }
}

TEST_F(ProductPageChain, WithoutStoresTheFillShowsThePlaceholderAndGoesOn) {
  const std::string replies[] = {kPlatformError, R"({"sku":"trail-tee-m","stores":[]})", "{}"};
  for (const auto& body : replies) {
    SCOPED_TRACE(body);
    platform_->script("GET", availabilityPath(), {.status = 200, .body = body});
    EXPECT_FALSE(open().error);
    ASSERT_EQ(view().statements.size(), 6u);
    EXPECT_EQ(view().statements[3], R"(ib_stores = [{"name":"Not available at store"}])");
    EXPECT_EQ(view().statements[5], "populateProductDetails()");
  }
}

TEST_F(ProductPageChain, BasketFiguresTheUpdateLacksAreLeftOut) {
  platform_->script("POST", "/api/client/pos/update-basket",
                    {.status = 200, .body = R"({"summary":{"tax":7}})"});
  open();
  ASSERT_EQ(view().statements.size(), 6u);
  EXPECT_EQ(parseStatement(view().statements[2]).second, Json({{"cardNumber", "************1881"},
                                                               {"cardAlias", "Travel credit"},
                                                               {"tax", "7"},
                                                               {"value", "500"}}));
}

TEST_F(ProductPageChain, AnUpdateOfNoContentIsNoFailureAndFillsThePageWithWhatIsKnown) {
  platform_->script("POST", "/api/client/pos/update-basket", {.status = 204});
  EXPECT_FALSE(open().error);
  const auto& ran = view().statements;
  ASSERT_EQ(ran.size(), 6u);
  EXPECT_EQ(ran[5], "populateProductDetails()");
  EXPECT_EQ(
      parseStatement(ran[2]).second,
      Json({{"cardNumber", "************1881"}, {"cardAlias", "Travel credit"}, {"value", "500"}}));
}

// Where the web views the SDK makes are destroyed.
struct Releases {
  const std::thread::id mainThread = std::this_thread::get_id();
  std::atomic<int> onMainThread = 0;
  std::atomic<int> elsewhere = 0;
};

class ReleaseNotingWebView final : public platform::WebView {
 public:
  explicit ReleaseNotingWebView(std::shared_ptr<Releases> releases)
      : releases_(std::move(releases)) {}
  ~ReleaseNotingWebView() override {
    ++(std::this_thread::get_id() == releases_->mainThread ? releases_->onMainThread
                                                           : releases_->elsewhere);
  }
  void attachTo(GtkWidget*) override {}

 protected:
  void startLoading(const platform::PageSource&) override {}
  void run(const std::string&) override {}

 private:
  std::shared_ptr<Releases> releases_;
};

class ReleaseNotingFactory final : public platform::WebViewFactory {
 public:
  explicit ReleaseNotingFactory(std::shared_ptr<Releases> releases)
      : releases_(std::move(releases)) {}
  std::shared_ptr<platform::WebView> make(const std::vector<std::string>&,
                                          platform::ScriptMessageHandler,
                                          platform::ViewSize) override {
    return std::make_shared<ReleaseNotingWebView>(releases_);
  }
  platform::ViewSize screenSize() override { return {390, 844}; }

 private:
  std::shared_ptr<Releases> releases_;
};

// The main queue, where a thread that posts waits until its task has run and been destroyed: what
// that thread still holds of the task's objects afterwards, it lets go of last.
class HandOverQueue final : public platform::MainQueue {
 public:
  explicit HandOverQueue(std::shared_ptr<platform::MainQueue> queue) : queue_(std::move(queue)) {}
  void post(Task task) override {
    if (std::this_thread::get_id() == mainThread_)
      return queue_->post(std::move(task));
    auto handedOver = std::make_shared<std::promise<void>>();
    auto done = handedOver->get_future();
    queue_->post([task = std::move(task), handedOver]() mutable {
      task();
      task = nullptr;
      handedOver->set_value();
    });
    done.wait_for(std::chrono::seconds(10));
  }
  void postAfter(std::chrono::milliseconds delay, Task task) override {
    queue_->postAfter(delay, std::move(task));
  }

 private:
  const std::thread::id mainThread_ = std::this_thread::get_id();
  std::shared_ptr<platform::MainQueue> queue_;
};

TEST_F(ProductPageChain, AViewThatOnlyItsChainStillHoldsIsReleasedOnTheMainThread) {
  const auto releases = std::make_shared<Releases>();
  platform::setWebViewFactoryForTesting(std::make_shared<ReleaseNotingFactory>(releases));
  platform::setMainQueueForTesting(std::make_shared<HandOverQueue>(queue_));
  // The second page becomes the current one while the first one's chain runs.
  int completions = 0;
  for (int page = 0; page < 2; ++page)
    api_.displayProductPage(container_, kOfferCode, {},
                            [&completions](std::optional<Error>) { ++completions; });
  EXPECT_TRUE(runMainLoopUntil(
      [&] { return completions == 2 && releases->onMainThread + releases->elsewhere == 1; }));
  platform::setMainQueueForTesting(queue_);
  EXPECT_EQ(releases->elsewhere, 0);
  EXPECT_EQ(releases->onMainThread, 1);
}

}  // namespace
}  // namespace zelvora::test
