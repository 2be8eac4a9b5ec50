// How the facade's calls and the Store meet: the stored ids win over the app's in request bodies,
// successes without a value clear what they store, arguments pass unchanged and as they were at the
// call, and an operation is held exactly as long as its request.
#include "CoreOperations/ClientOperations/AuthenticateShopperOperation.hpp"
#include "CoreOperations/ClientOperations/GetShopperOperation.hpp"
#include "e2e/FacadeFixture.hpp"

#include <type_traits>

namespace zelvora::test {
namespace {

using namespace std::chrono_literals;

class FacadeStore : public FacadeTest {
 protected:
  void SetUp() override {
    FacadeTest::SetUp();
    ASSERT_NO_FATAL_FAILURE(openBasket());
  }
};

TEST_F(FacadeStore, ABasketUpdateGoesToTheStoredBasketAndLeavesTheAppsObjectAloneOrIsAbsent) {
  const auto update = std::make_shared<BasketUpdateParam>();
  update->basketId = "someone-elses-basket";
  update->tags = std::vector<BasketTag>{BasketTag::collect};
  expectSuccessLater(await<Basket>([&](auto done) { api_.updateBasket(update, done); }));
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/pos/update-basket").body),
            (Json{{"basket-id", ids_.basketId}, {"tags", {"reserve-collect"}}}));
  EXPECT_EQ(update->basketId, "someone-elses-basket");
  EXPECT_EQ(Store::basket()->tags, update->tags);
  // Without an update, only the stored basket's id.
  expectSuccessLater(await<Basket>([&](auto done) { api_.updateBasket(nullptr, done); }));
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/pos/update-basket").body),
            (Json{{"basket-id", ids_.basketId}}));
}

TEST_F(FacadeStore, AProfileUpdateIsForTheSessionsShopperAndRefreshesNothingStored) {
  expectSuccessLater(await<ShopperProfile>([&](auto done) { api_.getShopperProfile(done); }));
  const auto storedProfile = store().shopperProfile;
  const auto update = std::make_shared<UpdateShopperProfile>();
  update->shopperId = "someone-else";
  update->lastName = "Lovelace";
  expectSuccessLater(
      await<UpdateShopperProfile>([&](auto done) { api_.updateShopperProfile(update, done); }));
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/shopper/profile").body),
            (Json{{"last-name", "Lovelace"}, {"shopper-id", ids_.shopperId}}));
  EXPECT_EQ(update->shopperId, "someone-else");
  EXPECT_EQ(store().shopperProfile, storedProfile);
}

TEST_F(FacadeStore, ASuccessWithoutAValueClearsWhatTheCallStores) {
  const struct {
    std::string path;
    std::function<void(ZelvoraAPI&, Completion<void>)> call;
    std::function<bool(const internal::StoreValues&)> cleared;
  } cases[] = {
      {"/api/client/basket/" + ids_.basketId,
       [](ZelvoraAPI& api, auto done) { api.getBasket(done); },
       [](const auto& s) { return s.basket == nullptr; }},
      {"/api/client/pos/update-basket",
       [](ZelvoraAPI& api, auto done) {
         api.updateBasket(std::make_shared<BasketUpdateParam>(), done);
       },
       [](const auto& s) { return s.basket == nullptr; }},
      {"/api/client/basket", [](ZelvoraAPI& api, auto done) { api.createBasket(done); },
       [](const auto& s) { return s.basket == nullptr; }},
      {"/api/client/shopper/" + ids_.shopperId + "/profile",
       [](ZelvoraAPI& api, auto done) { api.getShopperProfile(done); },
       [](const auto& s) { return s.shopperProfile == nullptr; }},
      {"/api/client/shopper/" + ids_.shopperId + "/payment-instruments",
       [](ZelvoraAPI& api, auto done) { api.getPaymentInstruments(done); },
       [](const auto& s) { return s.paymentInstrumentOffers == nullptr; }},
      {"/api/client/shopper/" + ids_.shopperId + "/loyalty",
       [](ZelvoraAPI& api, auto done) { api.getLoyalty(done); },
       [](const auto& s) { return !s.shopperLoyaltyPoints; }},
      {"/api/client/session", [](ZelvoraAPI& api, auto done) { api.createSession(done); },
       [](const auto& s) { return s.session == nullptr; }},
  };
  // Every value filled first, so that each case clears one that was there.
  expectSuccessLater(await<ShopperProfile>([&](auto done) { api_.getShopperProfile(done); }));
  expectSuccessLater(await<ModelList<PaymentInstrumentOffer>>(
      [&](auto done) { api_.getPaymentInstruments(done); }));
  expectSuccessLater(await<ShopperLoyalty>([&](auto done) { api_.getLoyalty(done); }));
  const auto full = store();
  for (const auto& c : cases) {
    internal::StoreState::update([&](internal::StoreValues& values) { values = full; });
    answer("*", c.path, 204);
    const auto outcome = await<void>([&](Completion<void> done) { c.call(api_, done); });
    expectSuccessLater(outcome);
    EXPECT_EQ(outcome.value, nullptr) << c.path;
    EXPECT_TRUE(c.cleared(store())) << c.path;
    platform_->clearScripts();
  }
}

TEST_F(FacadeStore, RepliesWithoutTheExpectedPartsAreStillSuccesses) {
  answer("GET", "/api/client/shopper/" + ids_.shopperId + "/receipts", 200, "{}");
  const auto receipts = await<ModelList<Receipt>>([&](auto done) { api_.getReceipts(done); });
  expectSuccessLater(receipts);
  EXPECT_EQ(receipts.value, nullptr);

  internal::StoreState::set(&internal::StoreValues::shopperLoyaltyPoints, 9);
  answer("GET", "/api/client/shopper/" + ids_.shopperId + "/loyalty", 200,
         R"({"redeemed-points": 3})");
  const auto loyalty = await<ShopperLoyalty>([&](auto done) { api_.getLoyalty(done); });
  expectSuccessLater(loyalty);
  EXPECT_EQ(loyalty.value->redeemedPoints, 3);
  EXPECT_FALSE(store().shopperLoyaltyPoints);

  answer("GET", "/api/client/shopper/" + ids_.shopperId + "/payment-instruments", 200, "[]");
  expectSuccessLater(await<ModelList<PaymentInstrumentOffer>>(
      [&](auto done) { api_.getPaymentInstruments(done); }));
  ASSERT_NE(store().paymentInstrumentOffers, nullptr);
  EXPECT_TRUE(store().paymentInstrumentOffers->empty());
}

TEST_F(FacadeStore, FetchingAnotherBasketMakesItTheStoredOne) {
  const auto first = store().basket;
  expectSuccessLater(await<Basket>([&](auto done) { api_.createBasket(done); }));
  expectSuccessLater(await<Basket>([&](auto done) { api_.getBasket(first->id, done); }));
  EXPECT_EQ(store().basket->id, first->id);
  EXPECT_NE(store().basket, first);
}

static_assert(std::is_same_v<decltype(Store::session()), std::shared_ptr<const Session>>);
static_assert(std::is_same_v<decltype(Store::basket()), std::shared_ptr<const Basket>>);

// What the app reads and receives are copies of their own (see the Store's and the thread tests);
// what it hands over is encoded at once, so a change while the request is on the way is not sent.
TEST_F(FacadeStore, AnArgumentChangedAfterTheCallDoesNotReachItsRequest) {
  const auto update = std::make_shared<BasketUpdateParam>();
  update->items = ModelList<BasketLineItem>{std::make_shared<BasketLineItem>()};
  update->items->front()->sku = kSku;
  await<Basket>([&](auto done) {
    api_.updateBasket(update, done);
    update->basketId = "app-basket";
    update->items->front()->sku = "app-sku";
  });
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/pos/update-basket").body),
            (Json{{"basket-id", ids_.basketId}, {"items", {{{"sku", kSku}}}}}));
}

TEST_F(FacadeStore, AGivenBasketIdIsUsedEvenWhenEmpty) {
  const auto outcome = await<Basket>([&](auto done) { api_.getBasket("", done); });
  EXPECT_EQ(outcome.calls, 1);
  EXPECT_EQ(platform_->requests().back().path, "/api/client/basket/");
}

TEST_F(FacadeStore, ACheckinNeedsABasketFirstThenAPosIdWhichMayBeEmpty) {
  expectRefusedBeforeReturn(
      await<MerchantPoS>([&](auto done) { api_.checkin(std::nullopt, done); }),
      Reason::posIdNotAvailable);
  EXPECT_TRUE(platform_->requests().empty());
  await<MerchantPoS>([&](auto done) { api_.checkin("", done); });
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/basket/associate-pos").body),
            (Json{{"basket-id", ids_.basketId}, {"pos-id", ""}}));
  internal::StoreState::set(&internal::StoreValues::basket, nullptr);
  expectRefusedBeforeReturn(
      await<MerchantPoS>([&](auto done) { api_.checkin(std::nullopt, done); }),
      Reason::basketIdNotAvailable);
}

TEST_F(FacadeStore, TheReceiptIsAskedForWithoutASession) {
  internal::StoreState::set(&internal::StoreValues::session, nullptr);
  // The platform wants a session token.
  expectError(await<BasketReceipt>([&](auto done) { api_.getPaymentReceipt(done); }),
              Error::transportDomain, 123);
  lastRequest("GET", "/api/client/basket/" + ids_.basketId + "/receipt");
}

TEST_F(FacadeStore, ACallWithoutACompletionStillKeepsTheStoreInStep) {
  const auto stored = store().basket;
  api_.createBasket(nullptr);
  EXPECT_TRUE(runMainLoopUntil([&] { return store().basket != stored; }));
  EXPECT_NE(store().basket->id, stored->id);
}

// The operations are made by the facade and never handed out: watch them from here.
template <class Operation, class... Arguments>
std::weak_ptr<internal::CoreOperation> startWatched(bool& done, Arguments... arguments) {
  auto operation =
      std::make_shared<Operation>([&done](auto, auto) { done = true; }, std::move(arguments)...);
  std::weak_ptr<internal::CoreOperation> watched = operation;
  operation->start();
  return watched;
}

// Held while its request is under way, including the session creation it waited for first, and
// released once its reply has been handled; one refused before its request is released at once.
TEST_F(FacadeStore, AnOperationLivesUntilItsReplyHasBeenHandledAndNoLonger) {
  platform_->script("GET", "/api/client/shopper/*", {.delay = 100ms});
  bool done = false;
  const auto watched = startWatched<internal::GetShopperOperation>(done);
  EXPECT_FALSE(watched.expired());
  EXPECT_TRUE(runMainLoopUntil([&] { return done; }));
  EXPECT_TRUE(runMainLoopUntil([&] { return watched.expired(); }, 1s));

  internal::StoreState::set(&internal::StoreValues::session, nullptr);
  done = false;
  EXPECT_TRUE((startWatched<internal::GetShopperOperation>(done).expired()));
  EXPECT_TRUE(done);
  done = false;
  const auto waited = startWatched<internal::AuthenticateShopperOperation>(done, std::string("s"),
                                                                           std::string("t"));
  EXPECT_TRUE(runMainLoopUntil([&] { return done; }));
  EXPECT_TRUE(runMainLoopUntil([&] { return waited.expired(); }, 1s));
}

}  // namespace
}  // namespace zelvora::test
