#pragma once

#include <cstdint>

#include <nlohmann/json.hpp>

// Basket arithmetic: product offers come off first, then the payment-type offers, then the
// loyalty points (one point is one cent); tax is added to what remains.
namespace zelvora::fake {

struct Totals {
  std::int64_t total = 0;
  std::int64_t productOfferCents = 0;
  std::int64_t paymentOfferCents = 0;
  std::int64_t loyaltyCents = 0;
  std::int64_t discountCents = 0;
  std::int64_t discountedTotal = 0;
  std::int64_t tax = 0;
  std::int64_t paymentTotal = 0;
  std::int64_t discountPct = 0;

  nlohmann::json toJson() const;
};

// items: basket line items with "price" and "qty"; productOffers and paymentTypeOffers as the
// platform sends them.
Totals totalsOf(const nlohmann::json& items, const nlohmann::json& productOffers,
                std::int64_t loyaltyPoints, const nlohmann::json& paymentTypeOffers);

// One entry per SKU of the items, for "reconciled-total".
nlohmann::json reconciledTotalsOf(const nlohmann::json& items);

}  // namespace zelvora::fake
