#pragma once

#include "Models/ModelFields.hpp"

namespace zelvora {

// The nine amounts of a basket's totals, shared by `TotalSummary` and `TotalPayment` under the
// same keys and in the same order.
template <class T>
constexpr auto totalAmountFields() {
  return std::tuple{
      field("discounted-total", &T::discountedTotal),
      field("product-offer-cents", &T::productOfferCents),
      field("payment-offer-cents", &T::paymentOfferCents),
      field("discount-cents", &T::discountCents),
      field("tax", &T::tax),
      field("loyalty-cents", &T::loyaltyCents),
      field("payment-total", &T::paymentTotal),
      field("total", &T::total),
      field("discount-pct", &T::discountPct),
  };
}

}  // namespace zelvora
