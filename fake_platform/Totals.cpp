#include "fake_platform/Totals.hpp"

#include <algorithm>
#include <cmath>
#include <map>
#include <string>

#include "fake_platform/Fixtures.hpp"

namespace zelvora::fake {
namespace {

std::int64_t lineTotal(const nlohmann::json& item) {
  return std::llround(item.value("price", std::int64_t{0}) * item.value("qty", 1.0));
}

std::int64_t percentOf(std::int64_t amount, std::int64_t percent) {
  return amount * percent / 100;
}

std::int64_t productOfferDiscount(const nlohmann::json& offer, std::int64_t total) {
  const std::string type = offer.value("type", "");
  const std::int64_t value = offer.value("value", std::int64_t{0});
  if (type == "fixed-discount") {
    return value;
  }
  return type == "percent-discount" ? percentOf(total, value) : 0;
}

std::int64_t paymentOfferDiscount(const nlohmann::json& offer, std::int64_t remaining) {
  if (!offer.value("is-active", false)) {
    return 0;
  }
  return offer.value("discount-cents", std::int64_t{0}) +
         percentOf(remaining, offer.value("discount-pct", std::int64_t{0}));
}

template <class Discount>
std::int64_t summedDiscount(const nlohmann::json& offers, std::int64_t base, Discount discount) {
  std::int64_t sum = 0;
  for (const auto& offer : offers) {
    sum += discount(offer, base);
  }
  return std::clamp<std::int64_t>(sum, 0, base);
}

}  // namespace

nlohmann::json Totals::toJson() const {
  return {{"discounted-total", discountedTotal},
          {"product-offer-cents", productOfferCents},
          {"payment-offer-cents", paymentOfferCents},
          {"discount-cents", discountCents},
          {"tax", tax},
          {"loyalty-cents", loyaltyCents},
          {"payment-total", paymentTotal},
          {"total", total},
          {"discount-pct", discountPct}};
}

Totals totalsOf(const nlohmann::json& items, const nlohmann::json& productOffers,
                std::int64_t loyaltyPoints, const nlohmann::json& paymentTypeOffers) {
  Totals totals;
  for (const auto& item : items) {
    totals.total += lineTotal(item);
  }
  totals.productOfferCents = summedDiscount(productOffers, totals.total, productOfferDiscount);
  std::int64_t remaining = totals.total - totals.productOfferCents;
  totals.paymentOfferCents = summedDiscount(paymentTypeOffers, remaining, paymentOfferDiscount);
  remaining -= totals.paymentOfferCents;
  totals.loyaltyCents = std::clamp<std::int64_t>(loyaltyPoints, 0, remaining);
  totals.discountCents = totals.productOfferCents + totals.paymentOfferCents + totals.loyaltyCents;
  totals.discountedTotal = totals.total - totals.discountCents;
  totals.tax = percentOf(totals.discountedTotal, fixtures::kTaxPercent);
  totals.paymentTotal = totals.discountedTotal + totals.tax;
  totals.discountPct = totals.total == 0 ? 0 : totals.discountCents * 100 / totals.total;
  return totals;
}

nlohmann::json reconciledTotalsOf(const nlohmann::json& items) {
  std::map<std::string, std::int64_t> totalBySku;
  for (const auto& item : items) {
    totalBySku[item.value("sku", "")] += lineTotal(item);
  }
  nlohmann::json reconciled = nlohmann::json::array();
  for (const auto& [sku, total] : totalBySku) {
    reconciled.push_back({{"sku", sku},
                          {"total", total},
                          {"discounted-total", total},
                          {"tax", percentOf(total, fixtures::kTaxPercent)},
                          {"discount-cents", 0},
                          {"discount-pct", 0}});
  }
  return reconciled;
}

}  // namespace zelvora::fake
