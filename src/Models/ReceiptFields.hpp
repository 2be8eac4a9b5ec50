#pragma once

#include "Models/ModelFields.hpp"

namespace zelvora {

// `Receipt` and `BasketReceiptNotification` read and write the same eleven keys; the
// notification adds the totals of each SKU after them.
template <class R>
constexpr auto receiptFields() {
  return std::tuple{
      field("offers", &R::offers),
      field("product-offers", &R::productOffers),
      field("payments", &R::payments),
      field("merchant-id", &R::merchantId),
      field("total-payments", &R::totalPayments),
      field("transaction-info", &R::transactionInfo),
      field("created", &R::created),
      field("summary", &R::summary),
      field("id", &R::id),
      field("payment-type-offers", &R::paymentTypeOffers),
      field("items", &R::items),
  };
}

}  // namespace zelvora
