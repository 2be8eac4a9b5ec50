// Every endpoint through the real transport, against the fake platform over loopback: what
// reaches the server (method, path, body, headers, signature) and what the completion gets.
#include "APIs/Generated/ClientAPI.hpp"
#include "Helpers/StoreState.hpp"
#include "support/OpenSslHmac.hpp"
#include "support/PlatformFixture.hpp"

#include <zelvora/models/Models.hpp>

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace zelvora {
namespace {

namespace fixtures = fake::fixtures;
using Json = nlohmann::json;

template <class M>
std::shared_ptr<M> make(auto&&... setters) {
  auto model = std::make_shared<M>();
  (setters(*model), ...);
  return model;
}

class ClientAPIFlow : public test::PlatformTest {
 protected:
  // The one request the platform received last, checked for what every call must carry.
  fake::RecordedRequest lastRequest(const std::string& method, const std::string& path) {
    const auto requests = platform_->requests();
    EXPECT_FALSE(requests.empty());
    if (requests.empty()) {
      return {};
    }
    const auto& request = requests.back();
    EXPECT_EQ(request.method, method);
    EXPECT_EQ(request.path, path);
    EXPECT_TRUE(request.signatureValid) << method << " " << path;
    const auto& headers = request.headers;
    EXPECT_EQ(headers.at("content-type"), "application/json");
    EXPECT_EQ(headers.at("x-api-key"), test::testCredentials().apiKey);
    EXPECT_EQ(headers.at("x-correlation-id"), "corr-e2e");
    const auto& timestamp = headers.at("x-timestamp");
    EXPECT_EQ(headers.at("x-signature"),
              test::opensslHmacSha256Hex(test::testCredentials().apiSecret,
                                         test::testCredentials().apiKey + timestamp + "corr-e2e" +
                                             method + path + request.body));
    // Without a session the value is "Bearer " and HTTP drops its trailing space.
    EXPECT_EQ(headers.at("authorization"), token_.empty() ? "Bearer" : "Bearer " + token_);
    return request;
  }

  template <class T>
  std::shared_ptr<T> succeed(const test::Outcome<T>& outcome) {
    EXPECT_EQ(outcome.calls, 1);
    EXPECT_FALSE(outcome.error) << outcome.error->localizedDescription();
    EXPECT_NE(outcome.value, nullptr);
    return outcome.value;
  }

  void useSession(const std::shared_ptr<Session>& session) {
    token_ = session->token.value_or("");
    internal::StoreState::set(&internal::StoreValues::session, session);
  }

  std::string token_;
};

TEST_F(ClientAPIFlow, AWholeShopperJourneyThroughEveryEndpoint) {
  const auto& merchantId = test::testCredentials().merchantId;

  // Session and shopper.
  auto session = succeed(await<Session>([&](auto done) {
    ClientAPI::createSession(make<Client>([&](Client& c) {
                               c.deviceId = "DEVICE-1";
                               c.merchantId = merchantId;
                             }),
                             done);
  }));
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/session").body),
            Json({{"device-id", "DEVICE-1"}, {"merchant-id", merchantId}}));
  EXPECT_EQ(session->state, Session::State::New);
  useSession(session);

  auto authenticated = succeed(await<AuthenticatedSession>([&](auto done) {
    ClientAPI::addShopperToSession(make<AuthenticatedShopper>([&](AuthenticatedShopper& s) {
                                     s.sessionId = session->id;
                                     s.merchantShopperId = "shopper-7";
                                     s.merchantAuthToken = "auth-7";
                                   }),
                                   done);
  }));
  lastRequest("POST", "/api/client/session/authenticate-shopper");
  EXPECT_EQ(authenticated->state, AuthenticatedSession::State::Authenticated);
  const std::string shopperId = authenticated->shopperId.value();
  EXPECT_EQ(platform_->shopperIdFor("shopper-7"), shopperId);
  auto stored = std::make_shared<Session>(*session);
  stored->token = authenticated->token;
  stored->shopperId = shopperId;
  useSession(stored);

  EXPECT_EQ(
      succeed(await<Session>([&](auto done) { ClientAPI::lookUpSession(*session->id, done); }))->id,
      session->id);
  lastRequest("GET", "/api/client/session/" + *session->id);

  EXPECT_EQ(
      succeed(await<Shopper>([&](auto done) { ClientAPI::lookUpShopper(shopperId, done); }))->id,
      shopperId);
  lastRequest("GET", "/api/client/shopper/" + shopperId);

  // Wallet, loyalty, receipts and profile.
  auto instruments = succeed(await<ModelList<PaymentInstrumentOffer>>(
      [&](auto done) { ClientAPI::lookUpPaymentInstruments(shopperId, done); }));
  lastRequest("GET", "/api/client/shopper/" + shopperId + "/payment-instruments");
  ASSERT_EQ(instruments->size(), platform_->paymentInstrumentIds(shopperId).size());
  const std::string cardId = instruments->back()->paymentInstrumentId.value();

  auto setDefault = succeed(await<SetDefaultPaymentInstrumentValue>([&](auto done) {
    ClientAPI::setDefaultPaymentInstrument(
        make<SetDefaultPaymentInstrumentParam>([&](SetDefaultPaymentInstrumentParam& p) {
          p.shopperId = shopperId;
          p.paymentInstrumentId = cardId;
        }),
        done);
  }));
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/shopper/default-payment-instrument").body),
            Json({{"shopper-id", shopperId}, {"payment-instrument-id", cardId}}));
  EXPECT_EQ(setDefault->paymentInstrumentId, cardId);

  EXPECT_EQ(succeed(await<PaymentInstrumentOffer>([&](auto done) {
              ClientAPI::getDefaultPaymentInstrument(shopperId, done);
            }))->paymentInstrumentId,
            cardId);
  lastRequest("GET", "/api/client/shopper/" + shopperId + "/default-payment-instrument");

  succeed(await<Receipts>([&](auto done) { ClientAPI::findReceipts(shopperId, done); }));
  lastRequest("GET", "/api/client/shopper/" + shopperId + "/receipts");

  auto loyalty = succeed(
      await<ShopperLoyalty>([&](auto done) { ClientAPI::lookUpLoyaltyPoints(shopperId, done); }));
  lastRequest("GET", "/api/client/shopper/" + shopperId + "/loyalty");

  auto updated = succeed(await<UpdateShopperProfile>([&](auto done) {
    ClientAPI::updateShopperProfile(make<UpdateShopperProfile>([&](UpdateShopperProfile& p) {
                                      p.firstName = "Ada";
                                      p.shopperId = shopperId;
                                    }),
                                    done);
  }));
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/shopper/profile").body),
            Json({{"first-name", "Ada"}, {"shopper-id", shopperId}}));
  EXPECT_EQ(updated->firstName, "Ada");
  EXPECT_EQ(succeed(await<ShopperProfile>([&](auto done) {
              ClientAPI::getShopperProfile(shopperId, done);
            }))->firstName,
            "Ada");
  lastRequest("GET", "/api/client/shopper/" + shopperId + "/profile");

  auto provisioned = succeed(await<WalletPaymentInstrumentInfo>([&](auto done) {
    ClientAPI::provisionPaymentInstrument(make<ProvisionCardParam>([](ProvisionCardParam& p) {
                                            p.cardNumber = "4111111111111111";
                                            p.cardType = CardKind::Debit;
                                            p.cardHolderName = "Ada L";
                                          }),
                                          done);
  }));
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/provision-payment-instrument").body)
                .at("card-type"),
            "debit");
  EXPECT_NE(provisioned, nullptr);

  // Basket, product and point of sale.
  auto basket = succeed(await<Basket>([&](auto done) {
    ClientAPI::createBasket(
        make<CreateBasketParam>([&](CreateBasketParam& p) { p.sessionId = session->id; }), done);
  }));
  lastRequest("POST", "/api/client/basket");
  const std::string basketId = basket->id.value();

  auto offer = succeed(await<ProductOffer>(
      [&](auto done) { ClientAPI::getProductOffer(std::string(fixtures::kProductQrData), done); }));
  lastRequest("GET", "/api/client/pos/product-offer/" + std::string(fixtures::kProductQrData));
  EXPECT_EQ(offer->id, std::string(fixtures::kProductOfferId));

  auto products = succeed(await<ModelList<Product>>([&](auto done) {
    ClientAPI::getSkusForProduct(merchantId, std::string(fixtures::kMerchantProductId), done);
  }));
  lastRequest("GET", "/api/client/pos/skus/merchant/" + merchantId + "/product/" +
                         std::string(fixtures::kMerchantProductId));
  EXPECT_EQ(products->size(), fixtures::kSkus.size());

  const std::string sku(fixtures::kSkus[0].sku);
  succeed(await<SkuFulfillment>(
      [&](auto done) { ClientAPI::getSkuAvailability(merchantId, sku, done); }));
  lastRequest("GET", "/api/client/pos/sku-availability/merchant/" + merchantId + "/sku/" + sku);

  auto withItem = succeed(await<Basket>([&](auto done) {
    ClientAPI::updateBasket(
        make<BasketUpdateParam>([&](BasketUpdateParam& p) {
          p.basketId = basketId;
          p.items = ModelList<BasketLineItem>{make<BasketLineItem>([&](BasketLineItem& item) {
            item.sku = sku;
            item.qty = 1.0;
          })};
        }),
        done);
  }));
  EXPECT_EQ(lastRequest("POST", "/api/client/pos/update-basket").body,
            R"({"basket-id":")" + basketId + R"(","items":[{"qty":1.0,"sku":")" + sku + "\"}]}");
  ASSERT_TRUE(withItem->items);
  EXPECT_EQ(withItem->items->size(), 1u);

  auto redeemed =
      succeed(await<Basket>([&](auto done) { ClientAPI::redeemLoyalty(100, basketId, done); }));
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/basket/loyalty").body),
            Json({{"basket-id", basketId}, {"points", 100}}));
  EXPECT_EQ(redeemed->id, basketId);
  EXPECT_EQ(loyalty->accruedPoints, fixtures::kInitialLoyaltyPoints);

  EXPECT_EQ(succeed(await<Basket>([&](auto done) { ClientAPI::lookUpBasket(basketId, done); }))->id,
            basketId);
  lastRequest("GET", "/api/client/basket/" + basketId);
  EXPECT_EQ(succeed(await<Basket>([&](auto done) {
              ClientAPI::getMostRecentBasket(*session->id, done);
            }))->id,
            basketId);
  lastRequest("GET", "/api/client/basket/most-recent/session/" + *session->id);
  EXPECT_EQ(succeed(await<ModelList<Basket>>([&](auto done) {
              ClientAPI::getActiveBaskets(*session->id, done);
            }))->size(),
            1u);
  lastRequest("GET", "/api/client/basket/list-active/session/" + *session->id);

  const std::string posId(fixtures::kPointsOfSale[0].id);
  auto pos = succeed(await<MerchantPoS>([&](auto done) {
    ClientAPI::associateBasket(make<BasketPoS>([&](BasketPoS& p) {
                                 p.basketId = basketId;
                                 p.posId = posId;
                               }),
                               done);
  }));
  lastRequest("POST", "/api/client/basket/associate-pos");
  EXPECT_EQ(pos->posId, posId);

  // Payment.
  const auto payment = make<BasketPayment>([&](BasketPayment& p) {
    p.basketId = basketId;
    p.paymentInstrumentId = cardId;
  });
  auto preview =
      succeed(await<BasketPreview>([&](auto done) { ClientAPI::previewPayment(payment, done); }));
  lastRequest("POST", "/api/client/payment-preview");
  EXPECT_EQ(preview->paymentInstrumentId, cardId);

  const auto mobilePos = make<MobilePos>([&](MobilePos& p) { p.basketId = basketId; });
  auto scanned =
      succeed(await<BasketState>([&](auto done) { ClientAPI::posCompleteScan(mobilePos, done); }));
  EXPECT_EQ(Json::parse(lastRequest("POST", "/api/client/pos/complete-scan").body),
            Json({{"basket-id", basketId}}));
  EXPECT_EQ(scanned->status, BasketFlowState::completeScan);

  succeed(
      await<BasketPaymentConfirmation>([&](auto done) { ClientAPI::makePayment(payment, done); }));
  lastRequest("POST", "/api/client/payment");
  succeed(await<BasketState>([&](auto done) { ClientAPI::posReadyForPayment(mobilePos, done); }));
  lastRequest("POST", "/api/client/pos/ready-for-payment");

  auto receipt =
      succeed(await<BasketReceipt>([&](auto done) { ClientAPI::lookUpReceipt(basketId, done); }));
  lastRequest("GET", "/api/client/basket/" + basketId + "/receipt");
  EXPECT_EQ(receipt->id, basketId);

  EXPECT_EQ(platform_->requests().size(), 27u);
}

}  // namespace
}  // namespace zelvora
