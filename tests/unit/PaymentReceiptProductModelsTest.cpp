// Payments, totals, previews, receipts, offers, products and availability: each model's keys,
// value kinds and nesting, and how forgiving each of its fields is.
#include "Models/Models.hpp"

#include <zelvora/models/BasketLineItem.hpp>
#include <zelvora/models/BasketPayment.hpp>
#include <zelvora/models/BasketPaymentConfirmation.hpp>
#include <zelvora/models/BasketPreview.hpp>
#include <zelvora/models/BasketReceipt.hpp>
#include <zelvora/models/BasketReceiptNotification.hpp>
#include <zelvora/models/Fulfillment.hpp>
#include <zelvora/models/MerchantOffer.hpp>
#include <zelvora/models/Payment.hpp>
#include <zelvora/models/PaymentTypeOffer.hpp>
#include <zelvora/models/Product.hpp>
#include <zelvora/models/ProductFeaturesMap.hpp>
#include <zelvora/models/ProductOffer.hpp>
#include <zelvora/models/Receipt.hpp>
#include <zelvora/models/ReceiptProductOffer.hpp>
#include <zelvora/models/Receipts.hpp>
#include <zelvora/models/ReconciledTotal.hpp>
#include <zelvora/models/SkuFulfillment.hpp>
#include <zelvora/models/SkuOffer.hpp>
#include <zelvora/models/StoreBase.hpp>
#include <zelvora/models/TotalPayment.hpp>
#include <zelvora/models/TotalSummary.hpp>
#include <zelvora/models/TransactionInfo.hpp>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <initializer_list>
#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace zelvora {
namespace {

using namespace std::chrono_literals;
using std::chrono::sys_days;

const Date kCreated = sys_days{2026y / 3 / 14} + 9h + 26min + 53s + 589ms;
const Date kUpdated = sys_days{2026y / 3 / 15} + 17h + 2min + 7s + 40ms;
const Date kStart = sys_days{2026y / 4 / 1} + 0h;
const Date kStop = sys_days{2026y / 4 / 30} + 23h + 59min + 59s + 999ms;

// Dates are written in the process's time zone; the sources hold them in that same form so that
// a decoded and re-encoded model can be compared with its source whatever the zone.
Json text(Date date) {
  return formatDate(date);
}

using Recode = std::function<Expected<Json, DecodingError>(const Json&)>;

template <class M>
Expected<Json, DecodingError> recode(const Json& source) {
  const auto model = Decoders::decode<std::shared_ptr<M>>(source);
  if (!model) {
    return model.error();
  }
  return encodeToJSON(*model.value());
}

template <class M>
std::shared_ptr<M> decoded(const Json& source) {
  auto model = Decoders::decode<std::shared_ptr<M>>(source);
  if (!model) {
    ADD_FAILURE() << model.error().what();
    return nullptr;
  }
  return model.value();
}

// ---- one source per model, every key set to a value that tells it apart from its neighbours

Json paymentTypeOfferJson() {
  return {{"description", "5% off paying with the store card"},
          {"image-url", "https://cdn.example.com/offers/store-card.png"},
          {"merchant-id", "m-2231"},
          {"redemptions-allowed", 3},
          {"discount-cents", 250},
          {"created", text(kCreated)},
          {"title", "Store card bonus"},
          {"is-active", false},
          {"id", "pto-71"},
          {"payment-type", "gift-card"},
          {"discount-pct", 5}};
}

Json skuOfferJson() {
  return {{"description", "Second pair half price"},
          {"image-url", "https://cdn.example.com/offers/socks.png"},
          {"merchant-id", "m-2231"},
          {"redemptions-allowed", 2},
          {"discount-cents", 450},
          {"created", text(kCreated)},
          {"title", "Socks deal"},
          {"sku", "SKU-SOCK-BLK-42"},
          {"is-active", true},
          {"id", "so-9"},
          {"discount-pct", 50}};
}

Json paymentJson() {
  return {{"payment-instrument-id", "pi-551"}, {"amount", 1999},
          {"card-type", "charge-card"},        {"card-issuer", "Northbank"},
          {"card-number", "************4242"}, {"card-expiry-date", "09/29"},
          {"card-alias", "Travel card"}};
}

Json totalSummaryJson() {
  return {{"discounted-total", 8750},
          {"product-offer-cents", 700},
          {"payment-offer-cents", 250},
          {"discount-cents", 1250},
          {"tax", 612},
          {"loyalty-cents", 300},
          {"payment-total", 9062},
          {"total", 10000},
          {"discount-pct", 12}};
}

Json totalPaymentJson() {
  Json totals = totalSummaryJson();
  totals["payment-instrument-id"] = "pi-551";
  return totals;
}

Json reconciledTotalJson(const char* sku) {
  return {{"sku", sku}, {"total", 3998},         {"discounted-total", 3548},
          {"tax", 248}, {"discount-cents", 450}, {"discount-pct", 11}};
}

Json lineItemJson() {
  return {{"sku", "SKU-COFFEE-500"}, {"qty", 1.5}, {"price", 1299}, {"name", "House blend"}};
}

Json fulfillmentJson() {
  return {{"pay-in-store", false}, {"reserve-date", text(kStop)}};
}

Json merchantOfferJson() {
  return {{"id", "mo-3"},
          {"merchant-id", "m-2231"},
          {"title", "Free coffee"},
          {"description", "A free coffee on your next visit"},
          {"offer", "FREECOFFEE"},
          {"is-active", true},
          {"created", text(kCreated)}};
}

Json productOfferJson() {
  return {{"description", "Launch price"},
          {"image-url", "https://cdn.example.com/offers/launch.png"},
          {"merchant-id", "m-2231"},
          {"is-free-shipping", true},
          {"offer-url", "https://shop.example.com/o/launch"},
          {"updated", text(kUpdated)},
          {"value", 1250},
          {"start-time", text(kStart)},
          {"channel", "google-product-search"},
          {"type", "fixed-discount"},
          {"created", text(kCreated)},
          {"stop-time", text(kStop)},
          {"id", "po-12"},
          {"context", "spring-campaign"},
          {"is-valid", false},
          {"product-id", "prod-88"}};
}

Json receiptProductOfferJson() {
  return {{"id", "rpo-4"},      {"description", "Launch price"}, {"product-id", "prod-88"},
          {"channel", "print"}, {"type", "percent-discount"},    {"value", 500},
          {"is-valid", true}};
}

Json transactionInfoJson() {
  return {{"merchant-transaction-id", "tx-0042"},
          {"status", "completed"},
          {"reason", "paid in full"},
          {"fulfillment", "bopus"},
          {"store-id", "store-17"},
          {"shipping-zip", "10115"}};
}

Json receiptJson() {
  return {{"offers", {skuOfferJson()}},
          {"product-offers", {receiptProductOfferJson()}},
          {"payments", {paymentJson()}},
          {"merchant-id", "m-2231"},
          {"total-payments", {totalPaymentJson()}},
          {"transaction-info", transactionInfoJson()},
          {"created", text(kCreated)},
          {"summary", totalSummaryJson()},
          {"id", "rc-301"},
          {"payment-type-offers", {paymentTypeOfferJson()}},
          {"items", {lineItemJson()}}};
}

Json notificationJson() {
  Json notification = receiptJson();
  notification["reconciled-total"] = {reconciledTotalJson("SKU-COFFEE-500"),
                                      reconciledTotalJson("SKU-SOCK-BLK-42")};
  return notification;
}

Json basketPreviewJson() {
  return {{"offers", {skuOfferJson()}},
          {"payment-instrument-id", "pi-551"},
          {"product-offers", {productOfferJson()}},
          {"tags", {"reserve-collect"}},
          {"total-payments", {totalPaymentJson()}},
          {"state", "ready-for-payment"},
          {"loyalty-points", 120},
          {"summary", totalSummaryJson()},
          {"fulfillment", fulfillmentJson()},
          {"id", "b-77"},
          {"payment-type-offers", {paymentTypeOfferJson()}},
          {"items", {lineItemJson()}},
          {"reconciled-total", {reconciledTotalJson("SKU-COFFEE-500")}}};
}

Json basketReceiptJson() {
  return {{"offers", {skuOfferJson()}},
          {"payment-instrument-id", "pi-551"},
          {"product-offers", {productOfferJson()}},
          {"receipt", receiptJson()},
          {"tags", {"reserve-collect", "reserve-collect"}},
          {"total-payments", {totalPaymentJson()}},
          {"state", "complete-transaction"},
          {"loyalty-points", 120},
          {"summary", totalSummaryJson()},
          {"fulfillment", fulfillmentJson()},
          {"id", "b-77"},
          {"merchant-offers", {merchantOfferJson()}},
          {"payment-type-offers", {paymentTypeOfferJson()}},
          {"items", {lineItemJson()}},
          {"reconciled-total", {reconciledTotalJson("SKU-COFFEE-500")}}};
}

Json storeJson(const char* name, const char* address, const char* zip) {
  return {{"name", name}, {"address", address}, {"zip", zip}};
}

Json productFeaturesJson() {
  return {{"size", "M"}, {"color", "Forest green"}};
}

Json productJson() {
  return {{"description", "Organic cotton tee"},
          {"image-url", "https://cdn.example.com/p/tee.png"},
          {"merchant-id", "m-2231"},
          {"swatch-image-url", "https://cdn.example.com/p/tee-swatch.png"},
          {"name", "Trail tee"},
          {"sku", "SKU-TEE-GRN-M"},
          {"id", "prod-88"},
          {"product-features", productFeaturesJson()},
          {"price", 2499},
          {"merchant-product-id", "TEE-2026"}};
}

Json skuFulfillmentJson() {
  return {{"is-bopus", true},
          {"merchant-id", "m-2231"},
          {"pay-in-store", false},
          {"updated", text(kUpdated)},
          {"created", text(kCreated)},
          {"sku", "SKU-TEE-GRN-M"},
          {"stores",
           {storeJson("Mitte", "Torstrasse 1", "10119"),
            storeJson("Kreuzberg", "Oranienstrasse 2", "10999"),
            storeJson("Pankow", "Breite Strasse 3", "13187")}},
          {"qty", 3},
          {"is-in-stock", true}};
}

// ---- every key of every model

struct ModelCase {
  std::string name;
  Json everyKey;
  Recode recode;
  std::function<void(const Json&)> decodeAndCheckFields;
};

void PrintTo(const ModelCase& modelCase, std::ostream* out) {
  *out << modelCase.name;
}

template <class M>
ModelCase modelCase(std::string name, Json everyKey, std::function<void(const M&)> checkFields) {
  return {std::move(name), std::move(everyKey), recode<M>, [checkFields](const Json& source) {
            if (const auto model = decoded<M>(source)) {
              checkFields(*model);
            }
          }};
}

void expectReceiptFields(const Receipt& receipt) {
  ASSERT_TRUE(receipt.offers && receipt.productOffers && receipt.payments &&
              receipt.totalPayments && receipt.paymentTypeOffers && receipt.items);
  EXPECT_EQ(receipt.offers->at(0)->sku, "SKU-SOCK-BLK-42");
  EXPECT_EQ(receipt.productOffers->at(0)->type, ReceiptProductOffer::ModelType::percentDiscount);
  EXPECT_EQ(receipt.payments->at(0)->amount, 1999);
  EXPECT_EQ(receipt.merchantId, "m-2231");
  EXPECT_EQ(receipt.totalPayments->at(0)->paymentInstrumentId, "pi-551");
  ASSERT_NE(receipt.transactionInfo, nullptr);
  EXPECT_EQ(receipt.transactionInfo->merchantTransactionId, "tx-0042");
  EXPECT_EQ(receipt.created, kCreated);
  ASSERT_NE(receipt.summary, nullptr);
  EXPECT_EQ(receipt.summary->paymentTotal, 9062);
  EXPECT_EQ(receipt.id, "rc-301");
  EXPECT_EQ(receipt.paymentTypeOffers->at(0)->id, "pto-71");
  EXPECT_EQ(receipt.items->at(0)->qty, 1.5);
}

std::vector<ModelCase> everyModel() {
  return {
      modelCase<PaymentTypeOffer>(
          "PaymentTypeOffer", paymentTypeOfferJson(),
          [](const PaymentTypeOffer& offer) {
            EXPECT_EQ(offer.description, "5% off paying with the store card");
            EXPECT_EQ(offer.imageUrl, "https://cdn.example.com/offers/store-card.png");
            EXPECT_EQ(offer.merchantId, "m-2231");
            EXPECT_EQ(offer.redemptionsAllowed, 3);
            EXPECT_EQ(offer.discountCents, 250);
            EXPECT_EQ(offer.created, kCreated);
            EXPECT_EQ(offer.title, "Store card bonus");
            EXPECT_EQ(offer.isActive, false);
            EXPECT_EQ(offer.id, "pto-71");
            EXPECT_EQ(offer.paymentType, PaymentTypeOffer::PaymentType::GiftCard);
            EXPECT_EQ(offer.discountPct, 5);
          }),
      modelCase<Payment>("Payment", paymentJson(),
                         [](const Payment& payment) {
                           EXPECT_EQ(payment.paymentInstrumentId, "pi-551");
                           EXPECT_EQ(payment.amount, 1999);
                           EXPECT_EQ(payment.cardType, Payment::CardType::ChargeCard);
                           EXPECT_EQ(payment.cardIssuer, "Northbank");
                           EXPECT_EQ(payment.cardNumber, "************4242");
                           EXPECT_EQ(payment.cardExpiryDate, "09/29");
                           EXPECT_EQ(payment.cardAlias, "Travel card");
                         }),
      modelCase<BasketPayment>("BasketPayment",
                               {{"basket-id", "b-77"}, {"payment-instrument-id", "pi-551"}},
                               [](const BasketPayment& payment) {
                                 EXPECT_EQ(payment.basketId, "b-77");
                                 EXPECT_EQ(payment.paymentInstrumentId, "pi-551");
                               }),
      modelCase<BasketPaymentConfirmation>(
          "BasketPaymentConfirmation", {{"basket-id", "b-77"}, {"status", "ok"}},
          [](const BasketPaymentConfirmation& confirmation) {
            EXPECT_EQ(confirmation.basketId, "b-77");
            EXPECT_EQ(confirmation.status, BasketPaymentConfirmation::Status::Ok);
          }),
      modelCase<TotalSummary>("TotalSummary", totalSummaryJson(),
                              [](const TotalSummary& summary) {
                                EXPECT_EQ(summary.discountedTotal, 8750);
                                EXPECT_EQ(summary.productOfferCents, 700);
                                EXPECT_EQ(summary.paymentOfferCents, 250);
                                EXPECT_EQ(summary.discountCents, 1250);
                                EXPECT_EQ(summary.tax, 612);
                                EXPECT_EQ(summary.loyaltyCents, 300);
                                EXPECT_EQ(summary.paymentTotal, 9062);
                                EXPECT_EQ(summary.total, 10000);
                                EXPECT_EQ(summary.discountPct, 12);
                              }),
      modelCase<TotalPayment>("TotalPayment", totalPaymentJson(),
                              [](const TotalPayment& totals) {
                                EXPECT_EQ(totals.paymentInstrumentId, "pi-551");
                                EXPECT_EQ(totals.discountedTotal, 8750);
                                EXPECT_EQ(totals.productOfferCents, 700);
                                EXPECT_EQ(totals.paymentOfferCents, 250);
                                EXPECT_EQ(totals.discountCents, 1250);
                                EXPECT_EQ(totals.tax, 612);
                                EXPECT_EQ(totals.loyaltyCents, 300);
                                EXPECT_EQ(totals.paymentTotal, 9062);
                                EXPECT_EQ(totals.total, 10000);
                                EXPECT_EQ(totals.discountPct, 12);
                              }),
      modelCase<ReconciledTotal>("ReconciledTotal", reconciledTotalJson("SKU-COFFEE-500"),
                                 [](const ReconciledTotal& totals) {
                                   EXPECT_EQ(totals.sku, "SKU-COFFEE-500");
                                   EXPECT_EQ(totals.total, 3998);
                                   EXPECT_EQ(totals.discountedTotal, 3548);
                                   EXPECT_EQ(totals.tax, 248);
                                   EXPECT_EQ(totals.discountCents, 450);
                                   EXPECT_EQ(totals.discountPct, 11);
                                 }),
      modelCase<BasketPreview>(
          "BasketPreview", basketPreviewJson(),
          [](const BasketPreview& preview) {
            ASSERT_TRUE(preview.offers && preview.productOffers && preview.totalPayments &&
                        preview.paymentTypeOffers && preview.items && preview.reconciledTotal);
            EXPECT_EQ(preview.offers->at(0)->id, "so-9");
            EXPECT_EQ(preview.paymentInstrumentId, "pi-551");
            EXPECT_EQ(preview.productOffers->at(0)->isFreeShipping, true);
            EXPECT_EQ(preview.tags, std::vector{BasketPreview::Tags::collect});
            EXPECT_EQ(preview.totalPayments->at(0)->tax, 612);
            EXPECT_EQ(preview.state, BasketPreview::State::readyForPayment);
            EXPECT_EQ(preview.loyaltyPoints, 120);
            ASSERT_NE(preview.summary, nullptr);
            EXPECT_EQ(preview.summary->total, 10000);
            ASSERT_NE(preview.fulfillment, nullptr);
            EXPECT_EQ(preview.fulfillment->reserveDate, kStop);
            EXPECT_EQ(preview.id, "b-77");
            EXPECT_EQ(preview.paymentTypeOffers->at(0)->title, "Store card bonus");
            EXPECT_EQ(preview.items->at(0)->price, 1299);
            EXPECT_EQ(preview.reconciledTotal->at(0)->sku, "SKU-COFFEE-500");
          }),
      modelCase<Receipt>("Receipt", receiptJson(), expectReceiptFields),
      modelCase<Receipts>("Receipts", {{"receipts", {receiptJson(), {{"id", "rc-302"}}}}},
                          [](const Receipts& history) {
                            ASSERT_TRUE(history.receipts);
                            ASSERT_EQ(history.receipts->size(), 2u);
                            expectReceiptFields(*history.receipts->at(0));
                            EXPECT_EQ(history.receipts->at(1)->id, "rc-302");
                          }),
      modelCase<ReceiptProductOffer>(
          "ReceiptProductOffer", receiptProductOfferJson(),
          [](const ReceiptProductOffer& offer) {
            EXPECT_EQ(offer.id, "rpo-4");
            EXPECT_EQ(offer.description, "Launch price");
            EXPECT_EQ(offer.productId, "prod-88");
            EXPECT_EQ(offer.channel, ReceiptProductOffer::Channel::print);
            EXPECT_EQ(offer.type, ReceiptProductOffer::ModelType::percentDiscount);
            EXPECT_EQ(offer.value, 500);
            EXPECT_EQ(offer.isValid, true);
          }),
      modelCase<TransactionInfo>("TransactionInfo", transactionInfoJson(),
                                 [](const TransactionInfo& info) {
                                   EXPECT_EQ(info.merchantTransactionId, "tx-0042");
                                   EXPECT_EQ(info.status, TransactionInfo::Status::completed);
                                   EXPECT_EQ(info.reason, "paid in full");
                                   EXPECT_EQ(info.fulfillment, TransactionInfo::Fulfillment::bopus);
                                   EXPECT_EQ(info.storeId, "store-17");
                                   EXPECT_EQ(info.shippingZip, "10115");
                                 }),
      modelCase<BasketReceipt>(
          "BasketReceipt", basketReceiptJson(),
          [](const BasketReceipt& receipt) {
            ASSERT_TRUE(receipt.offers && receipt.productOffers && receipt.totalPayments &&
                        receipt.merchantOffers && receipt.paymentTypeOffers && receipt.items &&
                        receipt.reconciledTotal);
            EXPECT_EQ(receipt.offers->at(0)->discountPct, 50);
            EXPECT_EQ(receipt.paymentInstrumentId, "pi-551");
            EXPECT_EQ(receipt.productOffers->at(0)->channel,
                      ProductOffer::Channel::googleProductSearch);
            ASSERT_NE(receipt.receipt, nullptr);
            expectReceiptFields(*receipt.receipt);
            EXPECT_EQ(receipt.tags,
                      (std::vector{BasketReceipt::Tags::collect, BasketReceipt::Tags::collect}));
            EXPECT_EQ(receipt.totalPayments->at(0)->loyaltyCents, 300);
            EXPECT_EQ(receipt.state, BasketReceipt::State::completeTransaction);
            EXPECT_EQ(receipt.loyaltyPoints, 120);
            ASSERT_NE(receipt.summary, nullptr);
            EXPECT_EQ(receipt.summary->discountCents, 1250);
            ASSERT_NE(receipt.fulfillment, nullptr);
            EXPECT_EQ(receipt.fulfillment->payInStore, false);
            EXPECT_EQ(receipt.id, "b-77");
            EXPECT_EQ(receipt.merchantOffers->at(0)->offer, "FREECOFFEE");
            EXPECT_EQ(receipt.paymentTypeOffers->at(0)->redemptionsAllowed, 3);
            EXPECT_EQ(receipt.items->at(0)->name, "House blend");
            EXPECT_EQ(receipt.reconciledTotal->at(0)->discountedTotal, 3548);
          }),
      modelCase<BasketReceiptNotification>(
          "BasketReceiptNotification", notificationJson(),
          [](const BasketReceiptNotification& notification) {
            ASSERT_TRUE(notification.offers && notification.productOffers &&
                        notification.payments && notification.totalPayments &&
                        notification.paymentTypeOffers && notification.items &&
                        notification.reconciledTotal);
            EXPECT_EQ(notification.offers->at(0)->title, "Socks deal");
            EXPECT_EQ(notification.productOffers->at(0)->value, 500);
            EXPECT_EQ(notification.payments->at(0)->cardAlias, "Travel card");
            EXPECT_EQ(notification.merchantId, "m-2231");
            EXPECT_EQ(notification.totalPayments->at(0)->discountPct, 12);
            ASSERT_NE(notification.transactionInfo, nullptr);
            EXPECT_EQ(notification.transactionInfo->storeId, "store-17");
            EXPECT_EQ(notification.created, kCreated);
            ASSERT_NE(notification.summary, nullptr);
            EXPECT_EQ(notification.summary->loyaltyCents, 300);
            EXPECT_EQ(notification.id, "rc-301");
            EXPECT_EQ(notification.paymentTypeOffers->at(0)->discountCents, 250);
            EXPECT_EQ(notification.items->at(0)->sku, "SKU-COFFEE-500");
            ASSERT_EQ(notification.reconciledTotal->size(), 2u);
            EXPECT_EQ(notification.reconciledTotal->at(1)->sku, "SKU-SOCK-BLK-42");
          }),
      modelCase<ProductOffer>(
          "ProductOffer", productOfferJson(),
          [](const ProductOffer& offer) {
            EXPECT_EQ(offer.description, "Launch price");
            EXPECT_EQ(offer.imageUrl, "https://cdn.example.com/offers/launch.png");
            EXPECT_EQ(offer.merchantId, "m-2231");
            EXPECT_EQ(offer.isFreeShipping, true);
            EXPECT_EQ(offer.offerUrl, "https://shop.example.com/o/launch");
            EXPECT_EQ(offer.updated, kUpdated);
            EXPECT_EQ(offer.value, 1250);
            EXPECT_EQ(offer.startTime, kStart);
            EXPECT_EQ(offer.channel, ProductOffer::Channel::googleProductSearch);
            EXPECT_EQ(offer.type, ProductOffer::ModelType::fixedDiscount);
            EXPECT_EQ(offer.created, kCreated);
            EXPECT_EQ(offer.stopTime, kStop);
            EXPECT_EQ(offer.id, "po-12");
            EXPECT_EQ(offer.context, "spring-campaign");
            EXPECT_EQ(offer.isValid, false);
            EXPECT_EQ(offer.productId, "prod-88");
          }),
      modelCase<MerchantOffer>("MerchantOffer", merchantOfferJson(),
                               [](const MerchantOffer& offer) {
                                 EXPECT_EQ(offer.id, "mo-3");
                                 EXPECT_EQ(offer.merchantId, "m-2231");
                                 EXPECT_EQ(offer.title, "Free coffee");
                                 EXPECT_EQ(offer.description, "A free coffee on your next visit");
                                 EXPECT_EQ(offer.offer, "FREECOFFEE");
                                 EXPECT_EQ(offer.isActive, true);
                                 EXPECT_EQ(offer.created, kCreated);
                               }),
      modelCase<Product>("Product", productJson(),
                         [](const Product& product) {
                           EXPECT_EQ(product.description, "Organic cotton tee");
                           EXPECT_EQ(product.imageUrl, "https://cdn.example.com/p/tee.png");
                           EXPECT_EQ(product.merchantId, "m-2231");
                           EXPECT_EQ(product.swatchImageUrl,
                                     "https://cdn.example.com/p/tee-swatch.png");
                           EXPECT_EQ(product.name, "Trail tee");
                           EXPECT_EQ(product.sku, "SKU-TEE-GRN-M");
                           EXPECT_EQ(product.id, "prod-88");
                           ASSERT_NE(product.productFeatures, nullptr);
                           EXPECT_EQ(product.productFeatures->color, "Forest green");
                           EXPECT_EQ(product.price, 2499);
                           EXPECT_EQ(product.merchantProductId, "TEE-2026");
                         }),
      modelCase<ProductFeaturesMap>("ProductFeaturesMap", productFeaturesJson(),
                                    [](const ProductFeaturesMap& features) {
                                      EXPECT_EQ(features.size, "M");
                                      EXPECT_EQ(features.color, "Forest green");
                                    }),
      modelCase<SkuFulfillment>("SkuFulfillment", skuFulfillmentJson(),
                                [](const SkuFulfillment& availability) {
                                  EXPECT_EQ(availability.isBopus, true);
                                  EXPECT_EQ(availability.merchantId, "m-2231");
                                  EXPECT_EQ(availability.payInStore, false);
                                  EXPECT_EQ(availability.updated, kUpdated);
                                  EXPECT_EQ(availability.created, kCreated);
                                  EXPECT_EQ(availability.sku, "SKU-TEE-GRN-M");
                                  ASSERT_TRUE(availability.stores);
                                  ASSERT_EQ(availability.stores->size(), 3u);
                                  EXPECT_EQ(availability.stores->at(0)->name, "Mitte");
                                  EXPECT_EQ(availability.stores->at(1)->name, "Kreuzberg");
                                  EXPECT_EQ(availability.stores->at(2)->name, "Pankow");
                                  EXPECT_EQ(availability.qty, 3);
                                  EXPECT_EQ(availability.isInStock, true);
                                }),
      modelCase<SkuOffer>("SkuOffer", skuOfferJson(),
                          [](const SkuOffer& offer) {
                            EXPECT_EQ(offer.description, "Second pair half price");
                            EXPECT_EQ(offer.imageUrl, "https://cdn.example.com/offers/socks.png");
                            EXPECT_EQ(offer.merchantId, "m-2231");
                            EXPECT_EQ(offer.redemptionsAllowed, 2);
                            EXPECT_EQ(offer.discountCents, 450);
                            EXPECT_EQ(offer.created, kCreated);
                            EXPECT_EQ(offer.title, "Socks deal");
                            EXPECT_EQ(offer.sku, "SKU-SOCK-BLK-42");
                            EXPECT_EQ(offer.isActive, true);
                            EXPECT_EQ(offer.id, "so-9");
                            EXPECT_EQ(offer.discountPct, 50);
                          }),
      modelCase<StoreBase>("StoreBase", storeJson("Mitte", "Torstrasse 1", "10119"),
                           [](const StoreBase& store) {
                             EXPECT_EQ(store.name, "Mitte");
                             EXPECT_EQ(store.address, "Torstrasse 1");
                             EXPECT_EQ(store.zip, "10119");
                           }),
      modelCase<Fulfillment>("Fulfillment", fulfillmentJson(),
                             [](const Fulfillment& fulfillment) {
                               EXPECT_EQ(fulfillment.payInStore, false);
                               EXPECT_EQ(fulfillment.reserveDate, kStop);
                             }),
  };
}

class PaymentReceiptProductKeys : public testing::TestWithParam<ModelCase> {};

TEST_P(PaymentReceiptProductKeys, LandsInItsOwnField) {
  GetParam().decodeAndCheckFields(GetParam().everyKey);
}

// The text form tells an integer from a floating-point number and a boolean from a number, which
// equality of JSON values does not.
TEST_P(PaymentReceiptProductKeys, IsWrittenBackUnderTheSameKeyWithTheSameKindOfValue) {
  const auto encoded = GetParam().recode(GetParam().everyKey);
  ASSERT_TRUE(encoded) << encoded.error().what();
  EXPECT_EQ(encoded.value().dump(), GetParam().everyKey.dump());
}

TEST_P(PaymentReceiptProductKeys, HeldNullLeavesItsFieldAbsent) {
  Json allNull = GetParam().everyKey;
  for (auto& [key, value] : allNull.items()) {
    value = nullptr;
  }
  const auto encoded = GetParam().recode(allNull);
  ASSERT_TRUE(encoded) << encoded.error().what();
  EXPECT_EQ(encoded.value(), Json::object());
}

TEST_P(PaymentReceiptProductKeys, MissingFromAnEmptyObjectLeavesItsFieldAbsent) {
  const auto encoded = GetParam().recode(Json::object());
  ASSERT_TRUE(encoded) << encoded.error().what();
  EXPECT_EQ(encoded.value(), Json::object());
}

INSTANTIATE_TEST_SUITE_P(PaymentReceiptProductModels, PaymentReceiptProductKeys,
                         testing::ValuesIn(everyModel()),
                         [](const auto& model) { return model.param.name; });

// ---- sources that come back changed: what a field does not accept is dropped, not failed on

struct RewriteCase {
  const char* name;
  Recode recode;
  Json source;
  Json expected;
};

TEST(PaymentReceiptProductModels, UnreadableEnumTextsAndLooseTagsAreDroppedWhileTheRestIsRead) {
  const RewriteCase cases[] = {
      {"payment type in capitals",
       recode<PaymentTypeOffer>,
       {{"id", "pto-71"}, {"payment-type", "GIFT-CARD"}},
       {{"id", "pto-71"}}},
      {"payment type without hyphen",
       recode<PaymentTypeOffer>,
       {{"id", "pto-71"}, {"payment-type", "giftcard"}},
       {{"id", "pto-71"}}},
      {"payment type as a number",
       recode<PaymentTypeOffer>,
       {{"id", "pto-71"}, {"payment-type", 2}},
       {{"id", "pto-71"}}},
      {"card type as its case name",
       recode<Payment>,
       {{"amount", 1999}, {"card-type", "ChargeCard"}},
       {{"amount", 1999}}},
      {"status as its case name",
       recode<BasketPaymentConfirmation>,
       {{"basket-id", "b-77"}, {"status", "Ok"}},
       {{"basket-id", "b-77"}}},
      {"status in capitals",
       recode<BasketPaymentConfirmation>,
       {{"basket-id", "b-77"}, {"status", "ERROR"}},
       {{"basket-id", "b-77"}}},
      {"status of another word",
       recode<BasketPaymentConfirmation>,
       {{"basket-id", "b-77"}, {"status", "success"}},
       {{"basket-id", "b-77"}}},
      {"receipt offer channel capitalised",
       recode<ReceiptProductOffer>,
       {{"value", 500}, {"channel", "Email"}},
       {{"value", 500}}},
      {"receipt offer type with blanks",
       recode<ReceiptProductOffer>,
       {{"value", 500}, {"type", "fixed discount"}},
       {{"value", 500}}},
      {"product offer channel with blanks",
       recode<ProductOffer>,
       {{"value", 1250}, {"channel", "google product search"}},
       {{"value", 1250}}},
      {"product offer type as a number",
       recode<ProductOffer>,
       {{"value", 1250}, {"type", 2}},
       {{"value", 1250}}},
      {"transaction status in capitals",
       recode<TransactionInfo>,
       {{"reason", "timeout"}, {"status", "CANCELED"}},
       {{"reason", "timeout"}}},
      {"transaction status misspelt",
       recode<TransactionInfo>,
       {{"reason", "timeout"}, {"status", "cancelled"}},
       {{"reason", "timeout"}}},
      {"transaction status as a number",
       recode<TransactionInfo>,
       {{"reason", "timeout"}, {"status", 3}},
       {{"reason", "timeout"}}},
      {"transaction fulfilment capitalised",
       recode<TransactionInfo>,
       {{"reason", "timeout"}, {"fulfillment", "Ship"}},
       {{"reason", "timeout"}}},
      {"preview state in capitals",
       recode<BasketPreview>,
       {{"id", "b-77"}, {"state", "READY-FOR-PAYMENT"}},
       {{"id", "b-77"}}},
      {"preview state as its case name",
       recode<BasketPreview>,
       {{"id", "b-77"}, {"state", "readyForPayment"}},
       {{"id", "b-77"}}},
      {"basket receipt state as a number",
       recode<BasketReceipt>,
       {{"id", "b-77"}, {"state", 7}},
       {{"id", "b-77"}}},
      {"preview tags as one text",
       recode<BasketPreview>,
       {{"id", "b-77"}, {"tags", "reserve-collect"}},
       {{"id", "b-77"}}},
      {"preview tags mixing a number in",
       recode<BasketPreview>,
       {{"id", "b-77"}, {"tags", {"reserve-collect", 5}}},
       {{"id", "b-77"}}},
      {"basket receipt tags as one text",
       recode<BasketReceipt>,
       {{"id", "b-77"}, {"tags", "reserve-collect"}},
       {{"id", "b-77"}}},
      {"basket receipt tags mixing a number in",
       recode<BasketReceipt>,
       {{"id", "b-77"}, {"tags", {"reserve-collect", 5}}},
       {{"id", "b-77"}}},
      // A receipt event is not a basket receipt: its keys are ignored, even unreadable ones.
      {"notification with basket receipt keys",
       recode<BasketReceiptNotification>,
       {{"id", "rc-301"},
        {"tags", {"collect"}},
        {"state", "done"},
        {"receipt", {{"created", "yesterday"}}},
        {"loyalty-points", "many"}},
       {{"id", "rc-301"}}},
      {"merchant offer with a camel-case twin key",
       recode<MerchantOffer>,
       {{"is-active", true}, {"isActive", false}},
       {{"is-active", true}}},
      {"receipt created in milliseconds",
       recode<Receipt>,
       {{"id", "rc-301"}, {"created", kCreated.time_since_epoch().count()}},
       {{"id", "rc-301"}, {"created", text(std::chrono::floor<std::chrono::seconds>(kCreated))}}},
  };
  for (const auto& c : cases) {
    const auto encoded = c.recode(c.source);
    ASSERT_TRUE(encoded) << c.name << ": " << encoded.error().what();
    EXPECT_EQ(encoded.value(), c.expected) << c.name;
  }
}

TEST(PaymentReceiptProductModels, EmptyListsNegativeAndWideAmountsComeBackAsSent) {
  const struct {
    const char* name;
    Recode recode;
    Json source;
  } cases[] = {
      {"no stores", recode<SkuFulfillment>, {{"stores", Json::array()}}},
      {"no receipts", recode<Receipts>, {{"receipts", Json::array()}}},
      {"no merchant offers", recode<BasketReceipt>, {{"merchant-offers", Json::array()}}},
      {"no tags on a basket receipt", recode<BasketReceipt>, {{"tags", Json::array()}}},
      {"no tags on a preview", recode<BasketPreview>, {{"tags", Json::array()}}},
      {"no payment-type offers", recode<BasketPreview>, {{"payment-type-offers", Json::array()}}},
      {"no reconciled totals",
       recode<BasketReceiptNotification>,
       {{"reconciled-total", Json::array()}}},
      {"a refund", recode<TotalSummary>, {{"payment-total", -1999}, {"discount-cents", -1}}},
      {"beyond a double's precision", recode<TotalPayment>, {{"total", 9007199254740993}}},
      {"a summary with only its total", recode<BasketPreview>, {{"summary", {{"total", 995}}}}},
      {"a fulfilment not paid in store", recode<Fulfillment>, {{"pay-in-store", false}}},
  };
  for (const auto& c : cases) {
    const auto encoded = c.recode(c.source);
    ASSERT_TRUE(encoded) << c.name << ": " << encoded.error().what();
    EXPECT_EQ(encoded.value().dump(), c.source.dump()) << c.name;
  }
}

TEST(PaymentReceiptProductModels, AValueOfTheWrongKindAnywhereFailsTheWholeModel) {
  const struct {
    const char* name;
    Recode recode;
    Json source;
  } cases[] = {
      {"offer discount as text", recode<PaymentTypeOffer>, {{"discount-cents", "250"}}},
      {"offer title as a number", recode<PaymentTypeOffer>, {{"id", "pto"}, {"title", 5}}},
      {"payment amount as text", recode<Payment>, {{"amount", "1999"}}},
      {"card number as a number", recode<Payment>, {{"card-number", 4242}}},
      {"confirmed basket id as a number", recode<BasketPaymentConfirmation>, {{"basket-id", 77}}},
      {"tax as text", recode<TotalSummary>, {{"total", 10000}, {"tax", "612"}}},
      {"instrument id as a number", recode<TotalPayment>, {{"payment-instrument-id", 551}}},
      {"reconciled sku as a list", recode<ReconciledTotal>, {{"sku", {"SKU-1"}}}},
      {"preview tag by its case name", recode<BasketPreview>, {{"tags", {"collect"}}}},
      {"preview reconciled total as one object",
       recode<BasketPreview>,
       {{"reconciled-total", reconciledTotalJson("SKU-1")}}},
      {"preview summary holding text", recode<BasketPreview>, {{"summary", {{"total", "995"}}}}},
      {"basket receipt tag in capitals",
       recode<BasketReceipt>,
       {{"tags", {"reserve-collect", "Reserve-Collect"}}}},
      {"basket receipt empty tag", recode<BasketReceipt>, {{"tags", {""}}}},
      {"basket receipt with a bad receipt",
       recode<BasketReceipt>,
       {{"id", "b-77"}, {"receipt", {{"created", "yesterday"}}}}},
      {"basket receipt with a bad merchant offer",
       recode<BasketReceipt>,
       {{"merchant-offers", {merchantOfferJson(), {{"is-active", "yes"}}}}}},
      {"receipt payment amount as text", recode<Receipt>, {{"payments", {{{"amount", "ten"}}}}}},
      {"receipt transaction info as text", recode<Receipt>, {{"transaction-info", "completed"}}},
      {"receipt history of one object", recode<Receipts>, {{"receipts", {{"id", "rc-301"}}}}},
      {"receipt history with a bad receipt", recode<Receipts>, {{"receipts", {{{"id", 301}}}}}},
      {"receipt offer value as text", recode<ReceiptProductOffer>, {{"value", "500"}}},
      {"store id as a number", recode<TransactionInfo>, {{"store-id", 17}}},
      {"notification with a bad reconciled total",
       recode<BasketReceiptNotification>,
       {{"reconciled-total", {{{"total", "x"}}}}}},
      {"notification created in no known form",
       recode<BasketReceiptNotification>,
       {{"created", "14/03/2026"}}},
      {"product offer value as text", recode<ProductOffer>, {{"value", "1250"}}},
      {"product offer description as a number", recode<ProductOffer>, {{"description", 3}}},
      {"product offer start in no known form", recode<ProductOffer>, {{"start-time", "tomorrow"}}},
      {"merchant offer created in no known form", recode<MerchantOffer>, {{"created", "now"}}},
      {"product features as text", recode<Product>, {{"product-features", "green"}}},
      {"product colour as a number", recode<Product>, {{"product-features", {{"color", 5}}}}},
      {"product price as text", recode<Product>, {{"price", "24.99"}}},
      {"feature size as a number", recode<ProductFeaturesMap>, {{"size", 40}}},
      {"stores holding a number",
       recode<SkuFulfillment>,
       {{"stores", {storeJson("a", "b", "c"), 1}}}},
      {"stores as one object", recode<SkuFulfillment>, {{"stores", storeJson("a", "b", "c")}}},
      {"quantity as text", recode<SkuFulfillment>, {{"qty", "3"}}},
      {"sku offer sku as a number", recode<SkuOffer>, {{"sku", 1001}}},
      {"store zip as a number", recode<StoreBase>, {{"zip", 10119}}},
      {"reserve date in no known form", recode<Fulfillment>, {{"reserve-date", "soon"}}},
      {"pay in store as text", recode<Fulfillment>, {{"pay-in-store", "yes"}}},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(c.recode(c.source)) << c.name;
  }
}

TEST(PaymentReceiptProductModels, ProductFeaturesAreReadColourFirst) {
  const auto failure =
      Decoders::decode<std::shared_ptr<ProductFeaturesMap>>(Json{{"size", 40}, {"color", 7}});
  ASSERT_FALSE(failure);
  EXPECT_EQ(failure.error().what(),
            std::string("Source 7 is not convertible to type String: Maybe swagger file is "
                        "insufficient"));
}

template <class M, class E>
void expectEveryCase(const char* key, std::optional<E> M::*member,
                     std::initializer_list<std::pair<const char*, E>> cases) {
  for (const auto& [rawValue, expected] : cases) {
    const Json source{{key, rawValue}};
    const auto model = decoded<M>(source);
    ASSERT_NE(model, nullptr) << rawValue;
    EXPECT_EQ((*model).*member, expected) << rawValue;
    EXPECT_EQ(encodeToJSON(*model), source) << rawValue;
  }
}

TEST(PaymentReceiptProductModels, EveryEnumerationCaseReadsAndWritesItsOwnText) {
  using Status = BasketPaymentConfirmation::Status;
  expectEveryCase<BasketPaymentConfirmation, Status>(
      "status", &BasketPaymentConfirmation::status, {{"error", Status::Error}, {"ok", Status::Ok}});

  using Channel = ProductOffer::Channel;
  const std::initializer_list<std::pair<const char*, Channel>> channels{
      {"email", Channel::email},
      {"facebook", Channel::facebook},
      {"google-product-search", Channel::googleProductSearch},
      {"print", Channel::print},
      {"display", Channel::display}};
  expectEveryCase<ProductOffer, Channel>("channel", &ProductOffer::channel, channels);
  expectEveryCase<ReceiptProductOffer, Channel>("channel", &ReceiptProductOffer::channel, channels);

  using Type = ProductOffer::ModelType;
  const std::initializer_list<std::pair<const char*, Type>> types{
      {"special-price", Type::specialPrice},
      {"percent-discount", Type::percentDiscount},
      {"fixed-discount", Type::fixedDiscount}};
  expectEveryCase<ProductOffer, Type>("type", &ProductOffer::type, types);
  expectEveryCase<ReceiptProductOffer, Type>("type", &ReceiptProductOffer::type, types);

  using TransactionStatus = TransactionInfo::Status;
  expectEveryCase<TransactionInfo, TransactionStatus>("status", &TransactionInfo::status,
                                                      {{"abandoned", TransactionStatus::abandoned},
                                                       {"completed", TransactionStatus::completed},
                                                       {"canceled", TransactionStatus::canceled}});
  using Delivery = TransactionInfo::Fulfillment;
  expectEveryCase<TransactionInfo, Delivery>(
      "fulfillment", &TransactionInfo::fulfillment,
      {{"bopus", Delivery::bopus}, {"ship", Delivery::ship}});

  expectEveryCase<PaymentTypeOffer, CardKind>("payment-type", &PaymentTypeOffer::paymentType,
                                              {{"credit", CardKind::Credit},
                                               {"charge-card", CardKind::ChargeCard},
                                               {"gift-card", CardKind::GiftCard},
                                               {"debit", CardKind::Debit}});

  using State = BasketFlowState;
  const std::initializer_list<std::pair<const char*, State>> states{
      {"complete-transaction", State::completeTransaction},
      {"new", State::New},
      {"update-basket", State::updateBasket},
      {"initiate-payment", State::initiatePayment},
      {"complete-scan", State::completeScan},
      {"associate-pos", State::associatePos},
      {"ready-for-payment", State::readyForPayment},
      {"cancel-transaction", State::cancelTransaction}};
  expectEveryCase<BasketPreview, State>("state", &BasketPreview::state, states);
  expectEveryCase<BasketReceipt, State>("state", &BasketReceipt::state, states);
}

TEST(PaymentReceiptProductModels, TheSkuLookUpReplyIsAListOfProductsInItsOrder) {
  Json second = productJson();
  second["sku"] = "SKU-TEE-GRN-L";
  const auto products = Decoders::decode<ModelList<Product>>(Json{productJson(), second});
  ASSERT_TRUE(products);
  ASSERT_EQ(products.value().size(), 2u);
  EXPECT_EQ(products.value()[0]->sku, "SKU-TEE-GRN-M");
  EXPECT_EQ(products.value()[1]->sku, "SKU-TEE-GRN-L");

  second["product-features"] = {{"size", "L"}, {"color", false}};
  EXPECT_FALSE(Decoders::decode<ModelList<Product>>(Json{productJson(), second}));
}

TEST(PaymentReceiptProductModels, ModelsBuiltInCodeEncodeOnlyWhatIsSet) {
  BasketPayment payment;
  payment.basketId = "b-77";
  EXPECT_EQ(encodeToJSON(payment), (Json{{"basket-id", "b-77"}}));
  payment.paymentInstrumentId = "pi-551";
  EXPECT_EQ(encodeToJSON(payment),
            (Json{{"basket-id", "b-77"}, {"payment-instrument-id", "pi-551"}}));

  Fulfillment fulfillment;
  EXPECT_EQ(encodeToJSON(fulfillment), Json::object());
  fulfillment.payInStore = false;
  EXPECT_EQ(encodeToJSON(fulfillment).dump(), R"({"pay-in-store":false})");

  ProductOffer offer;
  offer.productId = "prod-88";
  EXPECT_EQ(encodeToJSON(offer), (Json{{"product-id", "prod-88"}}));

  Product product;
  product.productFeatures = std::make_shared<ProductFeaturesMap>();
  product.productFeatures->color = "Forest green";
  EXPECT_EQ(encodeToJSON(product), (Json{{"product-features", {{"color", "Forest green"}}}}));

  StoreBase placeholder;
  placeholder.name = "No store nearby";
  EXPECT_EQ(encodeToJSON(placeholder), (Json{{"name", "No store nearby"}}));
}

}  // namespace
}  // namespace zelvora
