// The shopper, basket, point-of-sale and payment-instrument models: their keys, their value
// kinds, and where each one is lenient or strict.
#include "Models/Models.hpp"

#include <zelvora/models/BadRequestBody.hpp>
#include <zelvora/models/BadRequestBodyErrors.hpp>
#include <zelvora/models/Basket.hpp>
#include <zelvora/models/BasketLineItem.hpp>
#include <zelvora/models/BasketLoyaltyPoints.hpp>
#include <zelvora/models/BasketPos.hpp>
#include <zelvora/models/BasketState.hpp>
#include <zelvora/models/BasketUpdateParam.hpp>
#include <zelvora/models/CreateBasketParam.hpp>
#include <zelvora/models/Fulfillment.hpp>
#include <zelvora/models/IdentityAddress.hpp>
#include <zelvora/models/MerchantPos.hpp>
#include <zelvora/models/MobilePos.hpp>
#include <zelvora/models/PaymentInstrumentOffer.hpp>
#include <zelvora/models/PaymentTypeOffer.hpp>
#include <zelvora/models/ProductOffer.hpp>
#include <zelvora/models/ProvisionCardParam.hpp>
#include <zelvora/models/ReconciledTotal.hpp>
#include <zelvora/models/SetDefaultPaymentInstrumentParam.hpp>
#include <zelvora/models/SetDefaultPaymentInstrumentValue.hpp>
#include <zelvora/models/Shopper.hpp>
#include <zelvora/models/ShopperLoyalty.hpp>
#include <zelvora/models/ShopperProfile.hpp>
#include <zelvora/models/SkuOffer.hpp>
#include <zelvora/models/TotalPayment.hpp>
#include <zelvora/models/TotalSummary.hpp>
#include <zelvora/models/UpdateShopperProfile.hpp>
#include <zelvora/models/WalletPaymentInstrumentInfo.hpp>

#include <gtest/gtest.h>

#include <functional>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace zelvora {
namespace {

template <class M>
std::shared_ptr<M> decoded(const Json& source) {
  auto result = Decoders::decode<std::shared_ptr<M>>(source);
  if (!result) {
    ADD_FAILURE() << "decoding " << source << " failed: " << result.error().what();
    return nullptr;
  }
  return result.value();
}

// ---- every key of every model, decoded and written back

struct ModelCase {
  std::string name;
  std::function<void()> run;
};

void PrintTo(const ModelCase& modelCase, std::ostream* out) {
  *out << modelCase.name;
}

// Decodes `source`, which holds every key of the model, checks each field, and expects the
// encoding to give back the same keys with the same value kinds (the text comparison tells 2 from
// 2.0). An empty object must stay empty both ways, which shows that no field has a default.
template <class M>
ModelCase modelCase(std::string name, Json source, std::function<void(const M&)> expectFields) {
  return {std::move(name), [source = std::move(source), expectFields] {
            const auto model = decoded<M>(source);
            ASSERT_NE(model, nullptr);
            expectFields(*model);
            EXPECT_EQ(encodeToJSON(*model).dump(), source.dump());

            const auto empty = decoded<M>(Json::object());
            ASSERT_NE(empty, nullptr);
            EXPECT_EQ(encodeToJSON(*empty), Json::object());
          }};
}

const Date kProfileUpdated{std::chrono::milliseconds{1714557600123}};

std::vector<ModelCase> modelCases() {
  Json profile = Json::parse(R"({
      "payment-instrument-id": "pi-visa-1", "email": "ada@example.com", "last-name": "Lovelace",
      "phone": "+44 20 7946 0958", "first-name": "Ada",
      "shipping-address": {"addr1": "12 St James's Sq", "city": "London", "zipcode": "SW1Y 4JH"},
      "id": "profile-7", "billing-address": {"addr1": "1 Main St", "addr2": "Apt 4",
                                             "state": "CA", "city": "San Francisco",
                                             "zipcode": "94107"}})");
  profile["updated"] = formatDate(kProfileUpdated);

  return {
      modelCase<BadRequestBody>("BadRequestBody",
                                Json::parse(R"({"status": "error", "error": "bad-request",
              "errors": [{"param": "basket-id", "error": "missing"}, {"param": "qty"}]})"),
                                [](const BadRequestBody& body) {
                                  EXPECT_EQ(body.status, BadRequestBody::Status::error);
                                  EXPECT_EQ(body.error, BadRequestBody::ModelError::request);
                                  ASSERT_EQ(body.errors.value().size(), 2u);
                                  EXPECT_EQ(body.errors->at(0)->param, "basket-id");
                                  EXPECT_EQ(body.errors->at(0)->error, "missing");
                                  EXPECT_EQ(body.errors->at(1)->param, "qty");
                                  EXPECT_FALSE(body.errors->at(1)->error);
                                }),
      modelCase<BadRequestBodyErrors>(
          "BadRequestBodyErrors", Json::parse(R"({"param": "card-number", "error": "invalid"})"),
          [](const BadRequestBodyErrors& error) {
            EXPECT_EQ(error.param, "card-number");
            EXPECT_EQ(error.error, "invalid");
          }),
      modelCase<Shopper>(
          "Shopper", Json::parse(R"({"id": "shopper-1", "merchant-id": "m-9",
              "merchant-shopper-id": "ms-42", "wallet-id": "w-3",
              "default-payment-instrument-id": "pi-2", "payment-instruments": ["pi-2", "pi-1"]})"),
          [](const Shopper& shopper) {
            EXPECT_EQ(shopper.id, "shopper-1");
            EXPECT_EQ(shopper.merchantId, "m-9");
            EXPECT_EQ(shopper.merchantShopperId, "ms-42");
            EXPECT_EQ(shopper.walletId, "w-3");
            EXPECT_EQ(shopper.defaultPaymentInstrumentId, "pi-2");
            EXPECT_EQ(shopper.paymentInstruments, (std::vector<std::string>{"pi-2", "pi-1"}));
          }),
      modelCase<ShopperLoyalty>("ShopperLoyalty",
                                Json::parse(R"({"shopper-id": "shopper-1", "redeemed-points": 120,
                          "accrued-points": 9007199254740993})"),
                                [](const ShopperLoyalty& loyalty) {
                                  EXPECT_EQ(loyalty.shopperId, "shopper-1");
                                  EXPECT_EQ(loyalty.redeemedPoints, 120);
                                  EXPECT_EQ(loyalty.accruedPoints, 9007199254740993);
                                }),
      modelCase<IdentityAddress>("IdentityAddress", Json::parse(R"({"addr1": "1 Main St",
              "addr2": "Apt 4", "state": "CA", "city": "San Francisco", "zipcode": "94107"})"),
                                 [](const IdentityAddress& address) {
                                   EXPECT_EQ(address.addr1, "1 Main St");
                                   EXPECT_EQ(address.addr2, "Apt 4");
                                   EXPECT_EQ(address.state, "CA");
                                   EXPECT_EQ(address.city, "San Francisco");
                                   EXPECT_EQ(address.zipcode, "94107");
                                 }),
      modelCase<ShopperProfile>("ShopperProfile", profile,
                                [](const ShopperProfile& shopper) {
                                  EXPECT_EQ(shopper.paymentInstrumentId, "pi-visa-1");
                                  EXPECT_EQ(shopper.email, "ada@example.com");
                                  EXPECT_EQ(shopper.lastName, "Lovelace");
                                  EXPECT_EQ(shopper.phone, "+44 20 7946 0958");
                                  EXPECT_EQ(shopper.updated, kProfileUpdated);
                                  EXPECT_EQ(shopper.firstName, "Ada");
                                  ASSERT_NE(shopper.shippingAddress, nullptr);
                                  EXPECT_EQ(shopper.shippingAddress->city, "London");
                                  EXPECT_FALSE(shopper.shippingAddress->state);
                                  EXPECT_EQ(shopper.id, "profile-7");
                                  ASSERT_NE(shopper.billingAddress, nullptr);
                                  EXPECT_EQ(shopper.billingAddress->addr2, "Apt 4");
                                }),
      modelCase<UpdateShopperProfile>("UpdateShopperProfile",
                                      Json::parse(R"({"first-name": "Ada", "last-name": "Lovelace",
              "email": "ada@example.com", "phone": "", "payment-instrument-id": "pi-visa-1",
              "shipping-address": {"city": "London"}, "billing-address": {},
              "shopper-id": "shopper-1"})"),
                                      [](const UpdateShopperProfile& update) {
                                        EXPECT_EQ(update.firstName, "Ada");
                                        EXPECT_EQ(update.lastName, "Lovelace");
                                        EXPECT_EQ(update.email, "ada@example.com");
                                        EXPECT_EQ(update.phone, "");
                                        EXPECT_EQ(update.paymentInstrumentId, "pi-visa-1");
                                        ASSERT_NE(update.shippingAddress, nullptr);
                                        EXPECT_EQ(update.shippingAddress->city, "London");
                                        ASSERT_NE(update.billingAddress, nullptr);
                                        EXPECT_FALSE(update.billingAddress->addr1);
                                        EXPECT_EQ(update.shopperId, "shopper-1");
                                      }),
      modelCase<Basket>("Basket", Json::parse(R"({
              "offers": [{"sku": "sku-beans", "discount-cents": 150}],
              "product-offers": [{"product-id": "p-beans", "value": 200}],
              "tags": ["reserve-collect"],
              "total-payments": [{"payment-instrument-id": "pi-2", "total": 2350}],
              "state": "ready-for-payment", "loyalty-points": 40,
              "summary": {"total": 2500, "discount-cents": 150, "tax": 0},
              "fulfillment": {"pay-in-store": true}, "id": "basket-5",
              "items": [{"sku": "sku-beans", "qty": 2.0, "price": 1250, "name": "Coffee beans"},
                        {"sku": "sku-apples", "qty": 0.75, "price": 399}],
              "reconciled-total": [{"sku": "sku-beans", "total": 2350}]})"),
                        [](const Basket& basket) {
                          EXPECT_EQ(basket.offers.value().at(0)->discountCents, 150);
                          EXPECT_EQ(basket.productOffers.value().at(0)->productId, "p-beans");
                          EXPECT_EQ(basket.tags, std::vector<Basket::Tags>{Basket::Tags::collect});
                          EXPECT_EQ(basket.totalPayments.value().at(0)->paymentInstrumentId,
                                    "pi-2");
                          EXPECT_EQ(basket.state, Basket::State::readyForPayment);
                          EXPECT_EQ(basket.loyaltyPoints, 40);
                          ASSERT_NE(basket.summary, nullptr);
                          EXPECT_EQ(basket.summary->total, 2500);
                          EXPECT_EQ(basket.summary->tax, 0);
                          ASSERT_NE(basket.fulfillment, nullptr);
                          EXPECT_EQ(basket.fulfillment->payInStore, true);
                          EXPECT_EQ(basket.id, "basket-5");
                          ASSERT_EQ(basket.items.value().size(), 2u);
                          EXPECT_EQ(basket.items->at(1)->qty, 0.75);
                          EXPECT_EQ(basket.reconciledTotal.value().at(0)->total, 2350);
                        }),
      modelCase<BasketLineItem>("BasketLineItem", Json::parse(R"({"sku": "sku-beans",
              "qty": 1.0, "price": 250, "name": "Coffee beans"})"),
                                [](const BasketLineItem& item) {
                                  EXPECT_EQ(item.sku, "sku-beans");
                                  EXPECT_EQ(item.qty, 1.0);
                                  EXPECT_EQ(item.price, 250);
                                  EXPECT_EQ(item.name, "Coffee beans");
                                }),
      modelCase<BasketUpdateParam>(
          "BasketUpdateParam", Json::parse(R"({"basket-id": "basket-5",
              "items": [{"sku": "sku-beans", "qty": 1.0, "price": 1250}],
              "sku-offers": [{"sku": "sku-beans", "title": "Two for one"}],
              "product-offers": [{"product-id": "p-beans", "value": 200, "is-valid": true}],
              "tags": ["reserve-collect", "reserve-collect"],
              "fulfillment": {"pay-in-store": false}})"),
          [](const BasketUpdateParam& update) {
            EXPECT_EQ(update.basketId, "basket-5");
            EXPECT_EQ(update.items.value().at(0)->price, 1250);
            EXPECT_EQ(update.skuOffers.value().at(0)->title, "Two for one");
            EXPECT_EQ(update.productOffers.value().at(0)->isValid, true);
            EXPECT_EQ(update.tags,
                      (std::vector<BasketUpdateParam::Tags>{BasketUpdateParam::Tags::collect,
                                                            BasketUpdateParam::Tags::collect}));
            ASSERT_NE(update.fulfillment, nullptr);
            EXPECT_EQ(update.fulfillment->payInStore, false);
          }),
      modelCase<CreateBasketParam>(
          "CreateBasketParam", Json::parse(R"({"session-id": "session-3"})"),
          [](const CreateBasketParam& create) { EXPECT_EQ(create.sessionId, "session-3"); }),
      modelCase<MerchantPoS>("MerchantPoS", Json::parse(R"({"pos-id": "lane-4",
              "merchant-pos-label": "Express lane 4", "message": "Basket checked in"})"),
                             [](const MerchantPoS& pos) {
                               EXPECT_EQ(pos.posId, "lane-4");
                               EXPECT_EQ(pos.merchantPosLabel, "Express lane 4");
                               EXPECT_EQ(pos.message, "Basket checked in");
                             }),
      modelCase<BasketPoS>("BasketPoS",
                           Json::parse(R"({"basket-id": "basket-5", "pos-id": "lane-4"})"),
                           [](const BasketPoS& checkIn) {
                             EXPECT_EQ(checkIn.basketId, "basket-5");
                             EXPECT_EQ(checkIn.posId, "lane-4");
                           }),
      modelCase<MobilePos>("MobilePos", Json::parse(R"({"basket-id": "basket-5"})"),
                           [](const MobilePos& mobile) { EXPECT_EQ(mobile.basketId, "basket-5"); }),
      modelCase<BasketState>("BasketState", Json::parse(R"({"status": "complete-scan"})"),
                             [](const BasketState& state) {
                               EXPECT_EQ(state.status, BasketState::Status::completeScan);
                             }),
      modelCase<BasketLoyaltyPoints>("BasketLoyaltyPoints",
                                     Json::parse(R"({"basket-id": "basket-5", "points": 250})"),
                                     [](const BasketLoyaltyPoints& redemption) {
                                       EXPECT_EQ(redemption.basketId, "basket-5");
                                       EXPECT_EQ(redemption.points, 250);
                                     }),
      modelCase<PaymentInstrumentOffer>(
          "PaymentInstrumentOffer", Json::parse(R"({
              "offers": [{"title": "5% off by debit", "payment-type": "debit",
                          "discount-pct": 5}],
              "payment-instrument-id": "pi-2", "card-number": "************4242",
              "card-alias": "Everyday", "is-expired": false, "default": true,
              "card-type": "debit", "card-issuer": "First Bank",
              "card-expiry-date": "12/27", "card-image-url": "https://cdn.example/cards/42.png"})"),
          [](const PaymentInstrumentOffer& card) {
            ASSERT_EQ(card.offers.value().size(), 1u);
            EXPECT_EQ(card.offers->at(0)->paymentType, PaymentTypeOffer::PaymentType::Debit);
            EXPECT_EQ(card.paymentInstrumentId, "pi-2");
            EXPECT_EQ(card.cardNumber, "************4242");
            EXPECT_EQ(card.cardAlias, "Everyday");
            EXPECT_EQ(card.isExpired, false);
            EXPECT_EQ(card._default, true);
            EXPECT_EQ(card.cardType, PaymentInstrumentOffer::CardType::Debit);
            EXPECT_EQ(card.cardIssuer, "First Bank");
            EXPECT_EQ(card.cardExpiryDate, "12/27");
            EXPECT_EQ(card.cardImageUrl, "https://cdn.example/cards/42.png");
          }),
      modelCase<SetDefaultPaymentInstrumentParam>(
          "SetDefaultPaymentInstrumentParam",
          Json::parse(R"({"shopper-id": "shopper-1", "payment-instrument-id": "pi-1"})"),
          [](const SetDefaultPaymentInstrumentParam& choice) {
            EXPECT_EQ(choice.shopperId, "shopper-1");
            EXPECT_EQ(choice.paymentInstrumentId, "pi-1");
          }),
      modelCase<SetDefaultPaymentInstrumentValue>(
          "SetDefaultPaymentInstrumentValue",
          Json::parse(
              R"({"shopper-id": "shopper-1", "payment-instrument-id": "pi-1", "default": true})"),
          [](const SetDefaultPaymentInstrumentValue& choice) {
            EXPECT_EQ(choice.shopperId, "shopper-1");
            EXPECT_EQ(choice.paymentInstrumentId, "pi-1");
            EXPECT_EQ(choice._default, true);
          }),
      modelCase<ProvisionCardParam>(
          "ProvisionCardParam", Json::parse(R"({"card-number": "4000 0566 5566 5556",
              "card-alias": "Travel", "card-type": "charge-card", "card-issuer": "First Bank",
              "card-cvc": "007", "card-pin": "0420", "card-expiry-date": "03/29",
              "card-holder-zip": "02139", "card-holder-name": "Ada Lovelace"})"),
          [](const ProvisionCardParam& card) {
            EXPECT_EQ(card.cardNumber, "4000 0566 5566 5556");
            EXPECT_EQ(card.cardAlias, "Travel");
            EXPECT_EQ(card.cardType, ProvisionCardParam::CardType::ChargeCard);
            EXPECT_EQ(card.cardIssuer, "First Bank");
            EXPECT_EQ(card.cardCvc, "007");
            EXPECT_EQ(card.cardPin, "0420");
            EXPECT_EQ(card.cardExpiryDate, "03/29");
            EXPECT_EQ(card.cardHolderZip, "02139");
            EXPECT_EQ(card.cardHolderName, "Ada Lovelace");
          }),
      modelCase<WalletPaymentInstrumentInfo>(
          "WalletPaymentInstrumentInfo",
          Json::parse(R"({"wallet-id": "w-3", "payment-instrument-id": "pi-9"})"),
          [](const WalletPaymentInstrumentInfo& info) {
            EXPECT_EQ(info.walletId, "w-3");
            EXPECT_EQ(info.paymentInstrumentId, "pi-9");
          }),
  };
}

class ShopperBasketModelKeys : public testing::TestWithParam<ModelCase> {};

TEST_P(ShopperBasketModelKeys, DecodesIntoItsFieldAndEncodesBackUnchanged) {
  GetParam().run();
}

INSTANTIATE_TEST_SUITE_P(ShopperBasketModels, ShopperBasketModelKeys,
                         testing::ValuesIn(modelCases()),
                         [](const auto& tested) { return tested.param.name; });

// ---- one key at a time: decoded, then written back

using Reencode = std::function<Expected<Json, DecodingError>(const Json&)>;

template <class M>
Expected<Json, DecodingError> reencoded(const Json& source) {
  auto model = Decoders::decode<std::shared_ptr<M>>(source);
  if (!model) {
    return model.error();
  }
  return encodeToJSON(*model.value());
}

struct ReencodeCase {
  Reencode reencode;
  const char* source;
  const char* expected;  // null: the whole decode fails
};

void expectReencodes(const std::vector<ReencodeCase>& cases) {
  for (const auto& c : cases) {
    const auto result = c.reencode(Json::parse(c.source));
    if (c.expected == nullptr) {
      EXPECT_FALSE(result) << c.source << " decoded";
    } else if (result) {
      EXPECT_EQ(result.value().dump(), Json::parse(c.expected).dump()) << c.source;
    } else {
      ADD_FAILURE() << c.source << " failed: " << result.error().what();
    }
  }
}

TEST(ShopperBasketModels, ZeroFalseAndEmptyArePresentWhileNullIsAbsent) {
  expectReencodes({
      {reencoded<BasketLoyaltyPoints>, R"({"basket-id": "b", "points": 0})",
       R"({"basket-id": "b", "points": 0})"},
      {reencoded<PaymentInstrumentOffer>, R"({"default": false, "offers": []})",
       R"({"default": false, "offers": []})"},
      {reencoded<PaymentInstrumentOffer>, R"({"offers": null, "is-expired": null})", "{}"},
      {reencoded<SetDefaultPaymentInstrumentValue>, R"({"default": false})",
       R"({"default": false})"},
      {reencoded<BadRequestBody>, R"({"errors": []})", R"({"errors": []})"},
      {reencoded<Shopper>, R"({"payment-instruments": []})", R"({"payment-instruments": []})"},
      {reencoded<Shopper>, R"({"payment-instruments": null})", "{}"},
      {reencoded<ShopperProfile>, R"({"shipping-address": {}, "billing-address": null})",
       R"({"shipping-address": {}})"},
      {reencoded<UpdateShopperProfile>, R"({"email": "", "billing-address": {}})",
       R"({"email": "", "billing-address": {}})"},
      {reencoded<Basket>, R"({"tags": [], "items": [], "loyalty-points": 0, "summary": null})",
       R"({"tags": [], "items": [], "loyalty-points": 0})"},
      {reencoded<ShopperLoyalty>, R"({"accrued-points": 75})", R"({"accrued-points": 75})"},
  });
}

TEST(ShopperBasketModels, NumbersTakeTheKindOfTheirField) {
  expectReencodes({
      {reencoded<BasketLineItem>, R"({"qty": 1, "price": 250.0})", R"({"qty": 1.0, "price": 250})"},
      {reencoded<BasketLoyaltyPoints>, R"({"points": 99.9})", R"({"points": 99})"},
      {reencoded<PaymentInstrumentOffer>, R"({"is-expired": 0, "default": 1})",
       R"({"is-expired": false, "default": true})"},
  });
}

TEST(ShopperBasketModels, AnUnmatchedEnumerationTextLeavesOnlyThatFieldAbsent) {
  expectReencodes({
      {reencoded<BadRequestBody>, R"({"status": "failure", "error": "bad-request"})",
       R"({"error": "bad-request"})"},
      {reencoded<BadRequestBody>,
       R"({"status": "error", "error": {"tag": "auth", "message": "expired"}})",
       R"({"status": "error"})"},
      {reencoded<BasketState>, R"({"status": "Ready-For-Payment"})", "{}"},
      {reencoded<BasketState>, R"({"status": 4})", "{}"},
      {reencoded<BasketState>, R"({"status": null})", "{}"},
      {reencoded<Basket>, R"({"state": "NEW", "id": "b"})", R"({"id": "b"})"},
      {reencoded<Basket>, R"({"state": 3, "id": "b"})", R"({"id": "b"})"},
      {reencoded<PaymentInstrumentOffer>, R"({"card-type": "Charge-Card", "card-alias": "Work"})",
       R"({"card-alias": "Work"})"},
      {reencoded<PaymentInstrumentOffer>, R"({"card-type": 2, "card-alias": "Work"})",
       R"({"card-alias": "Work"})"},
      {reencoded<ProvisionCardParam>, R"({"card-type": "visa", "card-number": "4242"})",
       R"({"card-number": "4242"})"},
  });
}

TEST(ShopperBasketModels, KeysOfOtherModelsOrSpellingsAreIgnored) {
  expectReencodes({
      {reencoded<UpdateShopperProfile>,
       R"({"id": "p", "updated": "2024-05-01", "email": "ada@example.com"})",
       R"({"email": "ada@example.com"})"},
      {reencoded<ShopperProfile>, R"({"shopper-id": "s", "lastName": "L"})", "{}"},
      {reencoded<PaymentInstrumentOffer>, R"({"_default": true, "isExpired": true})", "{}"},
      {reencoded<Basket>, R"({"basket-id": "b", "sku-offers": []})", "{}"},
      {reencoded<BasketUpdateParam>, R"({"id": "b", "offers": [], "state": "new"})", "{}"},
      {reencoded<SetDefaultPaymentInstrumentParam>, R"({"default": true})", "{}"},
  });
}

TEST(ShopperBasketModels, AValueOfTheWrongKindFailsTheWholeModel) {
  expectReencodes({
      {reencoded<BadRequestBody>, R"({"status": "error", "errors": [{"param": 7}]})", nullptr},
      {reencoded<BadRequestBody>, R"({"errors": {"param": "qty"}})", nullptr},
      {reencoded<BadRequestBody>, R"({"errors": ["qty"]})", nullptr},
      {reencoded<BadRequestBodyErrors>, R"({"param": "qty", "error": false})", nullptr},
      {reencoded<Shopper>, R"({"id": "s", "payment-instruments": ["pi-1", 2]})", nullptr},
      {reencoded<Shopper>, R"({"payment-instruments": "pi-1"})", nullptr},
      {reencoded<ShopperLoyalty>, R"({"accrued-points": "120"})", nullptr},
      {reencoded<ShopperProfile>, R"({"shipping-address": "1 Main St"})", nullptr},
      {reencoded<ShopperProfile>, R"({"updated": "last week"})", nullptr},
      {reencoded<ShopperProfile>, R"({"billing-address": {"zipcode": 94107}})", nullptr},
      {reencoded<UpdateShopperProfile>, R"({"shipping-address": []})", nullptr},
      {reencoded<Basket>, R"({"id": "b", "summary": []})", nullptr},
      {reencoded<Basket>, R"({"items": [{"qty": "two"}]})", nullptr},
      {reencoded<Basket>, R"({"items": {"sku": "s"}})", nullptr},
      {reencoded<Basket>, R"({"fulfillment": "in store"})", nullptr},
      {reencoded<Basket>, R"({"loyalty-points": "40"})", nullptr},
      {reencoded<BasketLineItem>, R"({"price": "2.50"})", nullptr},
      {reencoded<BasketUpdateParam>, R"({"sku-offers": [null]})", nullptr},
      {reencoded<MerchantPoS>, R"({"pos-id": 4})", nullptr},
      {reencoded<BasketLoyaltyPoints>, R"({"points": "all"})", nullptr},
      {reencoded<PaymentInstrumentOffer>, R"({"card-number": 4242})", nullptr},
      {reencoded<PaymentInstrumentOffer>, R"({"is-expired": "no"})", nullptr},
      {reencoded<PaymentInstrumentOffer>, R"({"offers": {}})", nullptr},
      {reencoded<PaymentInstrumentOffer>, R"({"offers": [1]})", nullptr},
      {reencoded<SetDefaultPaymentInstrumentValue>, R"({"default": "true"})", nullptr},
      {reencoded<ProvisionCardParam>, R"({"card-cvc": 7})", nullptr},
      {reencoded<WalletPaymentInstrumentInfo>, R"({"wallet-id": ["w"]})", nullptr},
      {reencoded<CreateBasketParam>, R"([{"session-id": "s"}])", nullptr},
  });
}

TEST(ShopperBasketModels, BasketUpdateTagsAreStrictOnlyWhenTheyAreAllTexts) {
  expectReencodes({
      {reencoded<BasketUpdateParam>, R"({"tags": ["reserve-collect"], "basket-id": "b"})",
       R"({"tags": ["reserve-collect"], "basket-id": "b"})"},
      {reencoded<BasketUpdateParam>, R"({"tags": ["collect"], "basket-id": "b"})", nullptr},
      {reencoded<BasketUpdateParam>, R"({"tags": ["reserve-collect", ""]})", nullptr},
      {reencoded<BasketUpdateParam>, R"({"tags": ["Reserve-Collect"]})", nullptr},
      {reencoded<BasketUpdateParam>, R"({"tags": ["reserve-collect", 5], "basket-id": "b"})",
       R"({"basket-id": "b"})"},
      {reencoded<BasketUpdateParam>, R"({"tags": "reserve-collect"})", "{}"},
  });
}

TEST(ShopperBasketModels, EveryBasketStageTravelsByItsRawValue) {
  const std::pair<BasketFlowState, const char*> stages[] = {
      {BasketFlowState::completeTransaction, "complete-transaction"},
      {BasketFlowState::New, "new"},
      {BasketFlowState::updateBasket, "update-basket"},
      {BasketFlowState::initiatePayment, "initiate-payment"},
      {BasketFlowState::completeScan, "complete-scan"},
      {BasketFlowState::associatePos, "associate-pos"},
      {BasketFlowState::readyForPayment, "ready-for-payment"},
      {BasketFlowState::cancelTransaction, "cancel-transaction"},
  };
  for (const auto& [stage, text] : stages) {
    Basket basket;
    basket.state = stage;
    EXPECT_EQ(encodeToJSON(basket), Json({{"state", text}})) << text;
    const auto state = decoded<BasketState>(Json({{"status", text}}));
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->status, stage) << text;
  }
}

TEST(ShopperBasketModels, RequestBodiesBuiltInCodeHoldExactlyTheirSetFields) {
  IdentityAddress address;
  address.addr1 = "1 Main St";
  address.zipcode = "94107";

  ProvisionCardParam card;
  card.cardNumber = "6035 1234 5678 9012";
  card.cardType = ProvisionCardParam::CardType::GiftCard;

  UpdateShopperProfile update;
  update.email = "ada@example.com";
  update.shippingAddress = std::make_shared<IdentityAddress>();

  auto line = std::make_shared<BasketLineItem>();
  line->sku = "sku-beans";
  line->qty = 1.0;
  BasketUpdateParam basketUpdate;
  basketUpdate.basketId = "basket-5";
  basketUpdate.items = ModelList<BasketLineItem>{line};
  basketUpdate.tags = std::vector<BasketUpdateParam::Tags>{};

  BasketPoS checkIn;
  checkIn.basketId = "basket-5";

  const struct {
    Json encoded;
    const char* expected;
  } cases[] = {
      {encodeToJSON(address), R"({"addr1": "1 Main St", "zipcode": "94107"})"},
      {encodeToJSON(card), R"({"card-number": "6035 1234 5678 9012", "card-type": "gift-card"})"},
      {encodeToJSON(update), R"({"email": "ada@example.com", "shipping-address": {}})"},
      {encodeToJSON(basketUpdate),
       R"({"basket-id": "basket-5", "items": [{"sku": "sku-beans", "qty": 1.0}], "tags": []})"},
      {encodeToJSON(checkIn), R"({"basket-id": "basket-5"})"},
      {encodeToJSON(MobilePos{}), "{}"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(c.encoded.dump(), Json::parse(c.expected).dump());
  }
}

TEST(ShopperBasketModels, AnInstrumentListReplyKeepsItsOrderAndFailsOnOneBadCard) {
  const auto cards = Decoders::decode<ModelList<PaymentInstrumentOffer>>(Json::parse(
      R"([{"payment-instrument-id": "pi-1", "default": true}, {"payment-instrument-id": "pi-2"}])"));
  ASSERT_TRUE(cards);
  ASSERT_EQ(cards.value().size(), 2u);
  EXPECT_EQ(cards.value()[0]->_default, true);
  EXPECT_EQ(cards.value()[1]->paymentInstrumentId, "pi-2");
  EXPECT_FALSE(cards.value()[1]->_default);

  EXPECT_TRUE(Decoders::decode<ModelList<PaymentInstrumentOffer>>(Json::array()).value().empty());
  EXPECT_FALSE(Decoders::decode<ModelList<PaymentInstrumentOffer>>(
      Json::parse(R"([{"payment-instrument-id": "pi-1"}, {"card-number": 4242}])")));
}

}  // namespace
}  // namespace zelvora
