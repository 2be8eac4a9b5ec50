// Every one of the facade's 27 calls, and so every endpoint, on each of its paths: refused by its
// precondition or by its own Store check before it returns, failed by the transport or by the
// platform, and successful, each time with exactly one completion, the request byte for byte as
// the platform must receive it (method, path, headers, body) and the Store as it must be after.
#include "e2e/FacadeFixture.hpp"

#include "Platform/Device.hpp"
#include "fake_platform/Fixtures.hpp"
#include "support/ModelContent.hpp"

#include <curl/curl.h>

#include <functional>
#include <string_view>
#include <utility>

namespace zelvora::test {
namespace {

using Value = std::shared_ptr<void>;
using Done = std::function<void(Value, std::optional<Error>)>;

template <class T>
Completion<T> erase(Done done) {
  return [done = std::move(done)](std::shared_ptr<T> value, std::optional<Error> error) {
    done(std::move(value), std::move(error));
  };
}

template <class T>
std::shared_ptr<T> as(const Value& value) {
  return std::static_pointer_cast<T>(value);
}

enum class Precondition { merchant, session, authenticatedSession, none };

struct FacadeCall {
  std::string name;
  Precondition precondition;
  // What the call's own Store check reports when an authenticated session lacks every identifier
  // and no merchant id or basket is stored; absent when it checks none of those.
  std::optional<Reason> guard;
  // The request and its body exactly as sent; {session}, {shopper}, {basket}, {card} and {device}
  // stand for the identifiers of the moment. No body for a GET.
  std::string request;
  std::string body;
  std::function<void(ZelvoraAPI&, Done)> call;
  // The successful result and the Store after it.
  std::function<void(const Value&, const Ids&)> expectSuccess;
  // What the platform must hold before the call can succeed.
  std::function<void(ZelvoraAPI&)> prepare = nullptr;
};

void PrintTo(const FacadeCall& call, std::ostream* out) {
  *out << call.name;
}

const std::string kApi = "/api/client";

std::string withIds(std::string text, const Ids& ids) {
  const std::string device = platform::device()->identifierForVendor().value_or("");
  const std::pair<std::string_view, const std::string&> values[] = {
      {"{session}", ids.sessionId}, {"{shopper}", ids.shopperId}, {"{basket}", ids.basketId},
      {"{card}", ids.cardId},       {"{device}", device},
  };
  for (const auto& [name, value] : values) {
    for (auto at = text.find(name); at != std::string::npos; at = text.find(name, at)) {
      text.replace(at, name.size(), value);
    }
  }
  return text;
}

std::shared_ptr<ProvisionCardParam> visaCard() {
  auto card = std::make_shared<ProvisionCardParam>();
  card->cardNumber = "4111111111111111";
  card->cardType = CardKind::Credit;
  card->cardHolderName = "Ada L";
  return card;
}

internal::StoreValues stored() {
  return internal::StoreState::snapshot();
}

// The Store as it was when the successful call began, for the calls that must leave a value alone.
internal::StoreValues storedBefore;

std::string defaultCard() {
  return Store::session()->shopperId.value() + "-card-1";
}

void payTheBasket(ZelvoraAPI& api) {
  bool paid = false;
  api.startPayment(defaultCard(), [&](auto, auto error) {
    EXPECT_FALSE(error);
    paid = true;
  });
  EXPECT_TRUE(runMainLoopUntil([&] { return paid; }));
}

std::vector<FacadeCall> facadeCalls() {
  const auto storedBasketIs = [](const Ids& i) { EXPECT_EQ(Store::basket()->id, i.basketId); };
  const auto onShopper = Precondition::authenticatedSession;
  const std::string payment = R"({"basket-id":"{basket}","payment-instrument-id":"{card}"})";
  return {
      {"createSession", Precondition::merchant, std::nullopt, "POST /session",
       R"({"device-id":"{device}","merchant-id":"merchant-e2e"})",
       [](ZelvoraAPI& a, Done d) { a.createSession(erase<Session>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_TRUE(isOwnCopyOf(as<Session>(v), stored().session));
         EXPECT_NE(as<Session>(v)->id, i.sessionId);
         EXPECT_EQ(as<Session>(v)->state, Session::State::New);
       }},
      {"getCurrentSession", onShopper, Reason::sessionNotAvailable, "GET /session/{session}", "",
       [](ZelvoraAPI& a, Done d) { a.getCurrentSession(erase<Session>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<Session>(v)->id, i.sessionId);
         EXPECT_EQ(stored().session, storedBefore.session);
       }},
      {"authenticateShopper", Precondition::session, std::nullopt,
       "POST /session/authenticate-shopper",
       R"({"merchant-auth-token":"auth-8","merchant-shopper-id":"shopper-8","session-id":"{session}"})",
       [](ZelvoraAPI& a, Done d) {
         a.authenticateShopper("shopper-8", "auth-8", erase<Session>(d));
       },
       [](const Value& v, const Ids& i) {
         EXPECT_TRUE(isOwnCopyOf(as<Session>(v), stored().session));
         EXPECT_EQ(as<Session>(v)->id, i.sessionId);
         EXPECT_NE(as<Session>(v)->shopperId, i.shopperId);
       }},
      {"getShopper", onShopper, Reason::shopperIdNotAvailable, "GET /shopper/{shopper}", "",
       [](ZelvoraAPI& a, Done d) { a.getShopper(erase<Shopper>(d)); },
       [](const Value& v, const Ids& i) { EXPECT_EQ(as<Shopper>(v)->id, i.shopperId); }},
      {"getShopperProfile", onShopper, Reason::shopperIdNotAvailable,
       "GET /shopper/{shopper}/profile", "",
       [](ZelvoraAPI& a, Done d) { a.getShopperProfile(erase<ShopperProfile>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_TRUE(isOwnCopyOf(as<ShopperProfile>(v), stored().shopperProfile));
       }},
      {"updateShopperProfile", onShopper, Reason::shopperIdNotAvailable, "POST /shopper/profile",
       R"({"first-name":"Ada","shopper-id":"{shopper}"})",
       [](ZelvoraAPI& a, Done d) {
         auto profile = std::make_shared<UpdateShopperProfile>();
         profile->firstName = "Ada";
         a.updateShopperProfile(profile, erase<UpdateShopperProfile>(d));
       },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<UpdateShopperProfile>(v)->firstName, "Ada");
         EXPECT_EQ(stored().shopperProfile, nullptr);
       }},
      {"getPaymentInstruments", onShopper, Reason::shopperIdNotAvailable,
       "GET /shopper/{shopper}/payment-instruments", "",
       [](ZelvoraAPI& a, Done d) {
         a.getPaymentInstruments(erase<ModelList<PaymentInstrumentOffer>>(d));
       },
       [](const Value& v, const Ids& i) {
         const auto list = as<ModelList<PaymentInstrumentOffer>>(v);
         ASSERT_EQ(list->size(), 2u);
         EXPECT_EQ(list->front()->paymentInstrumentId, i.cardId);
         EXPECT_TRUE(isOwnCopyOf(list, stored().paymentInstrumentOffers));
       }},
      {"setDefault", onShopper, Reason::shopperIdNotAvailable,
       "POST /shopper/default-payment-instrument",
       R"({"payment-instrument-id":"{shopper}-card-2","shopper-id":"{shopper}"})",
       [](ZelvoraAPI& a, Done d) {
         a.setDefault(Store::session()->shopperId.value() + "-card-2",
                      erase<SetDefaultPaymentInstrumentValue>(d));
       },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<SetDefaultPaymentInstrumentValue>(v)->paymentInstrumentId,
                   i.shopperId + "-card-2");
       }},
      {"getDefaultPaymentInstrument", onShopper, Reason::shopperIdNotAvailable,
       "GET /shopper/{shopper}/default-payment-instrument", "",
       [](ZelvoraAPI& a, Done d) {
         a.getDefaultPaymentInstrument(erase<PaymentInstrumentOffer>(d));
       },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<PaymentInstrumentOffer>(v)->paymentInstrumentId, i.cardId);
       }},
      {"getLoyalty", onShopper, Reason::shopperIdNotAvailable, "GET /shopper/{shopper}/loyalty", "",
       [](ZelvoraAPI& a, Done d) { a.getLoyalty(erase<ShopperLoyalty>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<ShopperLoyalty>(v)->accruedPoints, fake::fixtures::kInitialLoyaltyPoints);
         EXPECT_EQ(stored().shopperLoyaltyPoints, fake::fixtures::kInitialLoyaltyPoints);
       }},
      {"getReceipts", onShopper, Reason::shopperIdNotAvailable, "GET /shopper/{shopper}/receipts",
       "", [](ZelvoraAPI& a, Done d) { a.getReceipts(erase<ModelList<Receipt>>(d)); },
       [](const Value& v, const Ids&) { EXPECT_EQ(as<ModelList<Receipt>>(v)->size(), 1u); }},
      {"provision", onShopper, std::nullopt, "POST /provision-payment-instrument",
       R"({"card-holder-name":"Ada L","card-number":"4111111111111111","card-type":"credit"})",
       [](ZelvoraAPI& a, Done d) {
         a.provision(visaCard(), erase<WalletPaymentInstrumentInfo>(d));
       },
       [](const Value& v, const Ids&) { EXPECT_NE(v, nullptr); }},
      {"createBasket", onShopper, Reason::sessionNotAvailable, "POST /basket",
       R"({"session-id":"{session}"})",
       [](ZelvoraAPI& a, Done d) { a.createBasket(erase<Basket>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_NE(as<Basket>(v)->id, i.basketId);
         EXPECT_TRUE(isOwnCopyOf(as<Basket>(v), stored().basket));
       }},
      {"getBasket", onShopper, Reason::basketIdNotAvailable, "GET /basket/{basket}", "",
       [](ZelvoraAPI& a, Done d) { a.getBasket(erase<Basket>(d)); },
       [=](const Value& v, const Ids& i) {
         EXPECT_TRUE(isOwnCopyOf(as<Basket>(v), stored().basket));
         storedBasketIs(i);
       }},
      {"updateBasket", onShopper, Reason::basketIdNotAvailable, "POST /pos/update-basket",
       R"({"basket-id":"{basket}","items":[{"qty":2.0,"sku":"trail-tee-m"}]})",
       [](ZelvoraAPI& a, Done d) {
         auto update = std::make_shared<BasketUpdateParam>();
         update->items = ModelList<BasketLineItem>{std::make_shared<BasketLineItem>()};
         update->items->front()->sku = kSku;
         update->items->front()->qty = 2.0;
         a.updateBasket(update, erase<Basket>(d));
       },
       [=](const Value& v, const Ids& i) {
         EXPECT_TRUE(isOwnCopyOf(as<Basket>(v), stored().basket));
         EXPECT_EQ(as<Basket>(v)->items->front()->qty, 2.0);
         storedBasketIs(i);
       }},
      {"getMostRecentBasket", onShopper, Reason::sessionNotAvailable,
       "GET /basket/most-recent/session/{session}", "",
       [](ZelvoraAPI& a, Done d) { a.getMostRecentBasket(erase<Basket>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<Basket>(v)->id, i.basketId);
         EXPECT_EQ(stored().basket, storedBefore.basket);
       }},
      {"getActiveBaskets", onShopper, Reason::sessionNotAvailable,
       "GET /basket/list-active/session/{session}", "",
       [](ZelvoraAPI& a, Done d) { a.getActiveBaskets(erase<ModelList<Basket>>(d)); },
       [](const Value& v, const Ids& i) {
         ASSERT_EQ(as<ModelList<Basket>>(v)->size(), 1u);
         EXPECT_EQ(as<ModelList<Basket>>(v)->front()->id, i.basketId);
       }},
      {"checkin", onShopper, Reason::basketIdNotAvailable, "POST /basket/associate-pos",
       R"({"basket-id":"{basket}","pos-id":"pos-2"})",
       [](ZelvoraAPI& a, Done d) { a.checkin("pos-2", erase<MerchantPoS>(d)); },
       [](const Value& v, const Ids&) { EXPECT_EQ(as<MerchantPoS>(v)->posId, "pos-2"); }},
      {"redeemLoyalty", onShopper, Reason::basketIdNotAvailable, "POST /basket/loyalty",
       R"({"basket-id":"{basket}","points":120})",
       [](ZelvoraAPI& a, Done d) { a.redeemLoyalty(120, erase<Basket>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<Basket>(v)->loyaltyPoints, 120);
         EXPECT_EQ(stored().basket, storedBefore.basket);
       }},
      {"preview", onShopper, Reason::basketIdNotAvailable, "POST /payment-preview", payment,
       [](ZelvoraAPI& a, Done d) { a.preview(defaultCard(), erase<BasketPreview>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<BasketPreview>(v)->paymentInstrumentId, i.cardId);
       }},
      {"startPayment", onShopper, Reason::basketIdNotAvailable, "POST /payment", payment,
       [](ZelvoraAPI& a, Done d) {
         a.startPayment(defaultCard(), erase<BasketPaymentConfirmation>(d));
       },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<BasketPaymentConfirmation>(v)->basketId, i.basketId);
         EXPECT_EQ(as<BasketPaymentConfirmation>(v)->status, BasketPaymentConfirmation::Status::Ok);
       }},
      {"getPaymentReceipt", Precondition::none, Reason::basketIdNotAvailable,
       "GET /basket/{basket}/receipt", "",
       [](ZelvoraAPI& a, Done d) { a.getPaymentReceipt(erase<BasketReceipt>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<BasketReceipt>(v)->id, i.basketId);
         EXPECT_NE(as<BasketReceipt>(v)->receipt, nullptr);
       },
       payTheBasket},
      {"posCompleteScan", onShopper, Reason::basketIdNotAvailable, "POST /pos/complete-scan",
       R"({"basket-id":"{basket}"})",
       [](ZelvoraAPI& a, Done d) { a.posCompleteScan(erase<BasketState>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<BasketState>(v)->status, BasketFlowState::completeScan);
       }},
      {"posReadyForPayment", onShopper, Reason::basketIdNotAvailable, "POST /pos/ready-for-payment",
       R"({"basket-id":"{basket}"})",
       [](ZelvoraAPI& a, Done d) { a.posReadyForPayment(erase<BasketState>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<BasketState>(v)->status, BasketFlowState::readyForPayment);
       }},
      {"getProductOffer", onShopper, std::nullopt, "GET /pos/product-offer/QR-TRAIL-TEE", "",
       [](ZelvoraAPI& a, Done d) { a.getProductOffer("QR-TRAIL-TEE", erase<ProductOffer>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<ProductOffer>(v)->id, fake::fixtures::kProductOfferId);
         EXPECT_EQ(stored().productOffer, nullptr);
       }},
      {"getSkusForProduct", onShopper, Reason::merchantIdNotAvailable,
       "GET /pos/skus/merchant/merchant-e2e/product/trail-tee", "",
       [](ZelvoraAPI& a, Done d) {
         a.getSkusForProduct("trail-tee", erase<ModelList<Product>>(d));
       },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<ModelList<Product>>(v)->size(), fake::fixtures::kSkus.size());
       }},
      {"getSkuAvailability", onShopper, Reason::merchantIdNotAvailable,
       "GET /pos/sku-availability/merchant/merchant-e2e/sku/trail-tee-m", "",
       [](ZelvoraAPI& a, Done d) { a.getSkuAvailability(kSku, erase<SkuFulfillment>(d)); },
       [](const Value& v, const Ids&) { EXPECT_NE(v, nullptr); }},
  };
}

class FacadeCalls : public FacadeTest, public ::testing::WithParamInterface<FacadeCall> {
 protected:
  Outcome<void> run() {
    return await<void>([&](Completion<void> done) { GetParam().call(api_, done); });
  }

  // With every request answered so, the call fails once, later, and leaves the Store and the event
  // listener untouched. (A dropped connection may be tried again by the transport.)
  void expectFailure(const fake::ScriptedReply& reply, std::string_view domain, long long code) {
    ASSERT_NO_FATAL_FAILURE(openBasket());
    platform_->script("*", "/api/client/*", reply);
    const auto before = store();
    const auto outcome = run();
    expectError(outcome, domain, code);
    EXPECT_TRUE(store() == before);
    EXPECT_TRUE(events_.empty());
  }
};

TEST_P(FacadeCalls, AFailedPreconditionOrMissingIdIsReportedBeforeTheCallReturnsAndNothingIsSent) {
  auto session = std::make_shared<Session>();
  session->id = "session-1";
  session->shopperId = "shopper-1";
  session->state = Session::State::New;
  auto basket = std::make_shared<Basket>();
  basket->id = "basket-1";
  const struct {
    Precondition precondition;
    std::function<void(internal::StoreValues&)> breakIt;
    Reason reason;
  } cases[] = {
      {Precondition::authenticatedSession,
       [&](internal::StoreValues& s) {
         s.session = session;
         s.basket = basket;
       },
       Reason::authenticatedSessionNotAvailable},
      {Precondition::merchant, [](internal::StoreValues& s) { s.merchantId = ""; },
       Reason::merchantIdNotAvailable},
      // Without a usable session the session is created first, which needs the merchant id.
      {Precondition::session, [](internal::StoreValues& s) { s.merchantId.reset(); },
       Reason::merchantIdNotAvailable},
      // Nothing but its own basket check stands before the receipt.
      {Precondition::none, [](internal::StoreValues&) {}, Reason::basketIdNotAvailable},
  };
  for (const auto& c : cases) {
    if (c.precondition == GetParam().precondition) {
      internal::StoreState::update(c.breakIt);
      const auto before = store();
      expectRefusedBeforeReturn(run(), c.reason);
      EXPECT_TRUE(store() == before);
    }
  }
  // Then the call's own check of a stored identifier, with an authenticated session that lacks
  // every one.
  if (const auto guard = GetParam().guard) {
    auto empty = std::make_shared<Session>();
    empty->state = Session::State::Authenticated;
    empty->id = "";
    empty->shopperId = "";
    internal::StoreState::update([&](internal::StoreValues& s) {
      s.merchantId.reset();
      s.basket = nullptr;
      s.session = empty;
    });
    expectRefusedBeforeReturn(run(), *guard);
  }
  EXPECT_TRUE(platform_->requests().empty());
}

TEST_P(FacadeCalls, ATransportFailureReachesTheCompletionOnceOnTheMainQueue) {
  expectFailure({.dropConnection = true}, Error::curlDomain, CURLE_GOT_NOTHING);
}

TEST_P(FacadeCalls, APlatformErrorReachesTheCompletionUnchanged) {
  expectFailure(
      {.status = 400,
       .body = R"({"status":"error","errors":[{"param":"basket-id","error":"refused"}]})"},
      Error::transportDomain, 111);
  EXPECT_EQ(platform_->requests().size(), 1u);
}

TEST_P(FacadeCalls, ASuccessSendsTheRequestAndKeepsTheStoreInStep) {
  const auto& call = GetParam();
  ASSERT_NO_FATAL_FAILURE(openBasket());
  if (call.prepare) {
    call.prepare(api_);
    platform_->clearRequests();
  }
  const auto token = Store::session()->token.value();
  storedBefore = store();
  const auto outcome = run();
  expectSuccessLater(outcome);
  const auto methodAndPath = withIds(call.request, ids_);
  const auto space = methodAndPath.find(' ');
  const auto request =
      lastRequest(methodAndPath.substr(0, space), kApi + methodAndPath.substr(space + 1));
  EXPECT_EQ(request.body, withIds(call.body, ids_));
  // The platform refuses a wrong key, content type or signature itself; these it cannot judge.
  EXPECT_EQ(request.headers.at("authorization"), "Bearer " + token);
  EXPECT_EQ(request.headers.at("x-correlation-id"), "corr-e2e");
  call.expectSuccess(outcome.value, ids_);
}

const auto kNameOfCall = [](const auto& test) { return test.param.name; };
INSTANTIATE_TEST_SUITE_P(EveryCall, FacadeCalls, ::testing::ValuesIn(facadeCalls()), kNameOfCall);

}  // namespace
}  // namespace zelvora::test
