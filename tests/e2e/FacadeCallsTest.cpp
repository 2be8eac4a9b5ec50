// Every one of the facade's 27 calls on each of its paths: refused by its precondition or by its
// own Store check before it returns, failed by the transport or by the platform, and successful,
// each time with exactly one completion, the right request and the Store as it must be after.
#include "e2e/FacadeFixture.hpp"

#include "Platform/Device.hpp"
#include "fake_platform/Fixtures.hpp"

#include <functional>

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
  std::string method;
  std::function<std::string(const Ids&)> path;
  std::function<Json(const Ids&)> body;  // absent for a GET
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

void callAndWait(ZelvoraAPI& api, const std::function<void(ZelvoraAPI&, Done)>& call) {
  bool done = false;
  call(api, [&](Value, std::optional<Error> error) {
    EXPECT_FALSE(error) << error->localizedDescription();
    done = true;
  });
  EXPECT_TRUE(runMainLoopUntil([&] { return done; }));
}

void payTheBasket(ZelvoraAPI& api) {
  callAndWait(api, [](ZelvoraAPI& a, Done done) {
    a.startPayment(Store::session()->shopperId.value() + "-card-1",
                   erase<BasketPaymentConfirmation>(done));
  });
}

std::vector<FacadeCall> facadeCalls() {
  const auto get = [](std::string suffix) {
    return [suffix](const Ids&) { return kApi + suffix; };
  };
  const auto storedBasketIs = [](const Ids& i) { EXPECT_EQ(Store::basket()->id, i.basketId); };
  return {
      {"createSession", Precondition::merchant, std::nullopt, "POST", get("/session"),
       [](const Ids&) {
         return Json{{"device-id", platform::device()->identifierForVendor().value_or("")},
                     {"merchant-id", testCredentials().merchantId}};
       },
       [](ZelvoraAPI& a, Done d) { a.createSession(erase<Session>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<Session>(v), Store::session());
         EXPECT_NE(as<Session>(v)->id, i.sessionId);
         EXPECT_EQ(as<Session>(v)->state, Session::State::New);
       }},
      {"getCurrentSession", Precondition::authenticatedSession, Reason::sessionNotAvailable, "GET",
       [](const Ids& i) { return kApi + "/session/" + i.sessionId; }, nullptr,
       [](ZelvoraAPI& a, Done d) { a.getCurrentSession(erase<Session>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<Session>(v)->id, i.sessionId);
         EXPECT_NE(as<Session>(v), Store::session());
       }},
      {"authenticateShopper", Precondition::session, std::nullopt, "POST",
       get("/session/authenticate-shopper"),
       [](const Ids& i) {
         return Json{{"session-id", i.sessionId},
                     {"merchant-shopper-id", "shopper-8"},
                     {"merchant-auth-token", "auth-8"}};
       },
       [](ZelvoraAPI& a, Done d) {
         a.authenticateShopper("shopper-8", "auth-8", erase<Session>(d));
       },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<Session>(v), Store::session());
         EXPECT_EQ(as<Session>(v)->id, i.sessionId);
         EXPECT_NE(as<Session>(v)->shopperId, i.shopperId);
       }},
      {"getShopper", Precondition::authenticatedSession, Reason::shopperIdNotAvailable, "GET",
       [](const Ids& i) { return kApi + "/shopper/" + i.shopperId; }, nullptr,
       [](ZelvoraAPI& a, Done d) { a.getShopper(erase<Shopper>(d)); },
       [](const Value& v, const Ids& i) { EXPECT_EQ(as<Shopper>(v)->id, i.shopperId); }},
      {"getShopperProfile", Precondition::authenticatedSession, Reason::shopperIdNotAvailable,
       "GET", [](const Ids& i) { return kApi + "/shopper/" + i.shopperId + "/profile"; }, nullptr,
       [](ZelvoraAPI& a, Done d) { a.getShopperProfile(erase<ShopperProfile>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_NE(v, nullptr);
         EXPECT_EQ(as<ShopperProfile>(v), stored().shopperProfile);
       }},
      {"updateShopperProfile", Precondition::authenticatedSession, Reason::shopperIdNotAvailable,
       "POST", get("/shopper/profile"),
       [](const Ids& i) {
         return Json{{"first-name", "Ada"}, {"shopper-id", i.shopperId}};
       },
       [](ZelvoraAPI& a, Done d) {
         auto profile = std::make_shared<UpdateShopperProfile>();
         profile->firstName = "Ada";
         a.updateShopperProfile(profile, erase<UpdateShopperProfile>(d));
       },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<UpdateShopperProfile>(v)->firstName, "Ada");
         EXPECT_EQ(stored().shopperProfile, nullptr);
       }},
      {"getPaymentInstruments", Precondition::authenticatedSession, Reason::shopperIdNotAvailable,
       "GET",
       [](const Ids& i) { return kApi + "/shopper/" + i.shopperId + "/payment-instruments"; },
       nullptr,
       [](ZelvoraAPI& a, Done d) {
         a.getPaymentInstruments(erase<ModelList<PaymentInstrumentOffer>>(d));
       },
       [](const Value& v, const Ids& i) {
         const auto list = as<ModelList<PaymentInstrumentOffer>>(v);
         ASSERT_EQ(list->size(), 2u);
         EXPECT_EQ(list->front()->paymentInstrumentId, i.cardId);
         EXPECT_EQ(stored().paymentInstrumentOffers, list);
       }},
      {"setDefault", Precondition::authenticatedSession, Reason::shopperIdNotAvailable, "POST",
       get("/shopper/default-payment-instrument"),
       [](const Ids& i) {
         return Json{{"shopper-id", i.shopperId},
                     {"payment-instrument-id", i.shopperId + "-card-2"}};
       },
       [](ZelvoraAPI& a, Done d) {
         a.setDefault(Store::session()->shopperId.value() + "-card-2",
                      erase<SetDefaultPaymentInstrumentValue>(d));
       },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<SetDefaultPaymentInstrumentValue>(v)->paymentInstrumentId,
                   i.shopperId + "-card-2");
       }},
      {"getDefaultPaymentInstrument", Precondition::authenticatedSession,
       Reason::shopperIdNotAvailable, "GET",
       [](const Ids& i) {
         return kApi + "/shopper/" + i.shopperId + "/default-payment-instrument";
       },
       nullptr,
       [](ZelvoraAPI& a, Done d) {
         a.getDefaultPaymentInstrument(erase<PaymentInstrumentOffer>(d));
       },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<PaymentInstrumentOffer>(v)->paymentInstrumentId, i.cardId);
       }},
      {"getLoyalty", Precondition::authenticatedSession, Reason::shopperIdNotAvailable, "GET",
       [](const Ids& i) { return kApi + "/shopper/" + i.shopperId + "/loyalty"; }, nullptr,
       [](ZelvoraAPI& a, Done d) { a.getLoyalty(erase<ShopperLoyalty>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<ShopperLoyalty>(v)->accruedPoints, fake::fixtures::kInitialLoyaltyPoints);
         EXPECT_EQ(stored().shopperLoyaltyPoints, fake::fixtures::kInitialLoyaltyPoints);
       }},
      {"getReceipts", Precondition::authenticatedSession, Reason::shopperIdNotAvailable, "GET",
       [](const Ids& i) { return kApi + "/shopper/" + i.shopperId + "/receipts"; }, nullptr,
       [](ZelvoraAPI& a, Done d) { a.getReceipts(erase<ModelList<Receipt>>(d)); },
       [](const Value& v, const Ids&) { EXPECT_EQ(as<ModelList<Receipt>>(v)->size(), 1u); }},
      {"provision", Precondition::authenticatedSession, std::nullopt, "POST",
       get("/provision-payment-instrument"),
       [](const Ids&) {
         return Json{{"card-number", "4111111111111111"},
                     {"card-type", "credit"},
                     {"card-holder-name", "Ada L"}};
       },
       [](ZelvoraAPI& a, Done d) {
         a.provision(visaCard(), erase<WalletPaymentInstrumentInfo>(d));
       },
       [](const Value& v, const Ids&) { EXPECT_NE(v, nullptr); }},
      {"createBasket", Precondition::authenticatedSession, Reason::sessionNotAvailable, "POST",
       get("/basket"),
       [](const Ids& i) {
         return Json{{"session-id", i.sessionId}};
       },
       [](ZelvoraAPI& a, Done d) { a.createBasket(erase<Basket>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_NE(as<Basket>(v)->id, i.basketId);
         EXPECT_EQ(as<Basket>(v), Store::basket());
       }},
      {"getBasket", Precondition::authenticatedSession, Reason::basketIdNotAvailable, "GET",
       [](const Ids& i) { return kApi + "/basket/" + i.basketId; }, nullptr,
       [](ZelvoraAPI& a, Done d) { a.getBasket(erase<Basket>(d)); },
       [=](const Value& v, const Ids& i) {
         EXPECT_EQ(as<Basket>(v), Store::basket());
         storedBasketIs(i);
       }},
      {"updateBasket", Precondition::authenticatedSession, Reason::basketIdNotAvailable, "POST",
       get("/pos/update-basket"),
       [](const Ids& i) {
         return Json{{"basket-id", i.basketId}, {"items", {{{"qty", 2.0}, {"sku", kSku}}}}};
       },
       [](ZelvoraAPI& a, Done d) {
         auto update = std::make_shared<BasketUpdateParam>();
         update->items = ModelList<BasketLineItem>{std::make_shared<BasketLineItem>()};
         update->items->front()->sku = kSku;
         update->items->front()->qty = 2.0;
         a.updateBasket(update, erase<Basket>(d));
       },
       [=](const Value& v, const Ids& i) {
         EXPECT_EQ(as<Basket>(v), Store::basket());
         EXPECT_EQ(as<Basket>(v)->items->front()->qty, 2.0);
         storedBasketIs(i);
       }},
      {"getMostRecentBasket", Precondition::authenticatedSession, Reason::sessionNotAvailable,
       "GET", [](const Ids& i) { return kApi + "/basket/most-recent/session/" + i.sessionId; },
       nullptr, [](ZelvoraAPI& a, Done d) { a.getMostRecentBasket(erase<Basket>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<Basket>(v)->id, i.basketId);
         EXPECT_NE(as<Basket>(v), Store::basket());
       }},
      {"getActiveBaskets", Precondition::authenticatedSession, Reason::sessionNotAvailable, "GET",
       [](const Ids& i) { return kApi + "/basket/list-active/session/" + i.sessionId; }, nullptr,
       [](ZelvoraAPI& a, Done d) { a.getActiveBaskets(erase<ModelList<Basket>>(d)); },
       [](const Value& v, const Ids& i) {
         ASSERT_EQ(as<ModelList<Basket>>(v)->size(), 1u);
         EXPECT_EQ(as<ModelList<Basket>>(v)->front()->id, i.basketId);
       }},
      {"checkin", Precondition::authenticatedSession, Reason::basketIdNotAvailable, "POST",
       get("/basket/associate-pos"),
       [](const Ids& i) {
         return Json{{"basket-id", i.basketId}, {"pos-id", "pos-2"}};
       },
       [](ZelvoraAPI& a, Done d) { a.checkin("pos-2", erase<MerchantPoS>(d)); },
       [](const Value& v, const Ids&) { EXPECT_EQ(as<MerchantPoS>(v)->posId, "pos-2"); }},
      {"redeemLoyalty", Precondition::authenticatedSession, Reason::basketIdNotAvailable, "POST",
       get("/basket/loyalty"),
       [](const Ids& i) {
         return Json{{"basket-id", i.basketId}, {"points", 120}};
       },
       [](ZelvoraAPI& a, Done d) { a.redeemLoyalty(120, erase<Basket>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<Basket>(v)->loyaltyPoints, 120);
         EXPECT_NE(as<Basket>(v), Store::basket());
       }},
      {"preview", Precondition::authenticatedSession, Reason::basketIdNotAvailable, "POST",
       get("/payment-preview"),
       [](const Ids& i) {
         return Json{{"basket-id", i.basketId}, {"payment-instrument-id", i.cardId}};
       },
       [](ZelvoraAPI& a, Done d) {
         a.preview(Store::session()->shopperId.value() + "-card-1", erase<BasketPreview>(d));
       },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<BasketPreview>(v)->paymentInstrumentId, i.cardId);
       }},
      {"startPayment", Precondition::authenticatedSession, Reason::basketIdNotAvailable, "POST",
       get("/payment"),
       [](const Ids& i) {
         return Json{{"basket-id", i.basketId}, {"payment-instrument-id", i.cardId}};
       },
       [](ZelvoraAPI& a, Done d) {
         a.startPayment(Store::session()->shopperId.value() + "-card-1",
                        erase<BasketPaymentConfirmation>(d));
       },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<BasketPaymentConfirmation>(v)->basketId, i.basketId);
         EXPECT_EQ(as<BasketPaymentConfirmation>(v)->status, BasketPaymentConfirmation::Status::Ok);
       }},
      {"getPaymentReceipt", Precondition::none, Reason::basketIdNotAvailable, "GET",
       [](const Ids& i) { return kApi + "/basket/" + i.basketId + "/receipt"; }, nullptr,
       [](ZelvoraAPI& a, Done d) { a.getPaymentReceipt(erase<BasketReceipt>(d)); },
       [](const Value& v, const Ids& i) {
         EXPECT_EQ(as<BasketReceipt>(v)->id, i.basketId);
         EXPECT_NE(as<BasketReceipt>(v)->receipt, nullptr);
       },
       payTheBasket},
      {"posCompleteScan", Precondition::authenticatedSession, Reason::basketIdNotAvailable, "POST",
       get("/pos/complete-scan"),
       [](const Ids& i) {
         return Json{{"basket-id", i.basketId}};
       },
       [](ZelvoraAPI& a, Done d) { a.posCompleteScan(erase<BasketState>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<BasketState>(v)->status, BasketFlowState::completeScan);
       }},
      {"posReadyForPayment", Precondition::authenticatedSession, Reason::basketIdNotAvailable,
       "POST", get("/pos/ready-for-payment"),
       [](const Ids& i) {
         return Json{{"basket-id", i.basketId}};
       },
       [](ZelvoraAPI& a, Done d) { a.posReadyForPayment(erase<BasketState>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<BasketState>(v)->status, BasketFlowState::readyForPayment);
       }},
      {"getProductOffer", Precondition::authenticatedSession, std::nullopt, "GET",
       get("/pos/product-offer/QR-TRAIL-TEE"), nullptr,
       [](ZelvoraAPI& a, Done d) { a.getProductOffer("QR-TRAIL-TEE", erase<ProductOffer>(d)); },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<ProductOffer>(v)->id, fake::fixtures::kProductOfferId);
         EXPECT_EQ(stored().productOffer, nullptr);
       }},
      {"getSkusForProduct", Precondition::authenticatedSession, Reason::merchantIdNotAvailable,
       "GET", get("/pos/skus/merchant/merchant-e2e/product/trail-tee"), nullptr,
       [](ZelvoraAPI& a, Done d) {
         a.getSkusForProduct("trail-tee", erase<ModelList<Product>>(d));
       },
       [](const Value& v, const Ids&) {
         EXPECT_EQ(as<ModelList<Product>>(v)->size(), fake::fixtures::kSkus.size());
       }},
      {"getSkuAvailability", Precondition::authenticatedSession, Reason::merchantIdNotAvailable,
       "GET", get("/pos/sku-availability/merchant/merchant-e2e/sku/trail-tee-m"), nullptr,
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
  void expectFailure(const fake::ScriptedReply& reply,
                     const std::function<void(const Error&)>& expectError) {
    ASSERT_NO_FATAL_FAILURE(openBasket());
    platform_->script("*", "/api/client/*", reply);
    const auto before = store();
    const auto outcome = run();
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_EQ(outcome.callsBeforeReturn, 0);
    EXPECT_EQ(outcome.value, nullptr);
    ASSERT_TRUE(outcome.error);
    expectError(*outcome.error);
    EXPECT_TRUE(store() == before);
    EXPECT_TRUE(events_.empty());
  }
};

TEST_P(FacadeCalls, AFailedPreconditionIsReportedBeforeTheCallReturnsAndNothingIsSent) {
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
  EXPECT_TRUE(platform_->requests().empty());
}

// The calls that check a stored identifier of their own.
class FacadeCallsCheckingTheStore : public FacadeCalls {};

TEST_P(FacadeCallsCheckingTheStore,
       AMissingIdentifierIsReportedBeforeTheCallReturnsAndNothingIsSent) {
  internal::StoreState::update([](internal::StoreValues& s) {
    s.merchantId.reset();
    s.session = std::make_shared<Session>();
    s.session->state = Session::State::Authenticated;
    s.session->id = "";
    s.session->shopperId = "";
  });
  expectRefusedBeforeReturn(run(), *GetParam().guard);
  EXPECT_TRUE(platform_->requests().empty());
}

TEST_P(FacadeCalls, ATransportFailureReachesTheCompletionOnceOnTheMainQueue) {
  expectFailure({.dropConnection = true},
                [](const Error& error) { EXPECT_EQ(error.domain(), Error::curlDomain); });
}

TEST_P(FacadeCalls, APlatformErrorReachesTheCompletionUnchanged) {
  expectFailure(
      {.status = 400,
       .body = R"({"status":"error","errors":[{"param":"basket-id","error":"refused"}]})"},
      [](const Error& error) {
        EXPECT_EQ(error.domain(), Error::transportDomain);
        EXPECT_EQ(error.code(), 111);
        EXPECT_EQ(error.failureReason(), "basket-id - refused");
      });
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
  const auto outcome = run();
  expectSuccessLater(outcome);
  const auto request = lastRequest(call.method, call.path(ids_));
  EXPECT_EQ(request.headers.at("authorization"), "Bearer " + token);
  if (call.body) {
    EXPECT_EQ(Json::parse(request.body), call.body(ids_));
  }
  call.expectSuccess(outcome.value, ids_);
}

std::vector<FacadeCall> callsCheckingTheStore() {
  auto calls = facadeCalls();
  std::erase_if(calls, [](const FacadeCall& call) { return !call.guard; });
  return calls;
}

const auto kNameOfCall = [](const auto& test) { return test.param.name; };
INSTANTIATE_TEST_SUITE_P(EveryCall, FacadeCalls, ::testing::ValuesIn(facadeCalls()), kNameOfCall);
INSTANTIATE_TEST_SUITE_P(EveryCall, FacadeCallsCheckingTheStore,
                         ::testing::ValuesIn(callsCheckingTheStore()), kNameOfCall);

}  // namespace
}  // namespace zelvora::test
