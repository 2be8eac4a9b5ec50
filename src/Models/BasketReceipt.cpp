#include "Models/ModelFields.hpp"

#include <zelvora/models/BasketReceipt.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketReceipt> {
  static constexpr std::string_view name = "BasketReceipt";
  static constexpr auto fields = std::tuple{
      field("offers", &BasketReceipt::offers),
      field("payment-instrument-id", &BasketReceipt::paymentInstrumentId),
      field("product-offers", &BasketReceipt::productOffers),
      field("receipt", &BasketReceipt::receipt),
      field("tags", &BasketReceipt::tags),
      field("total-payments", &BasketReceipt::totalPayments),
      field("state", &BasketReceipt::state),
      field("loyalty-points", &BasketReceipt::loyaltyPoints),
      field("summary", &BasketReceipt::summary),
      field("fulfillment", &BasketReceipt::fulfillment),
      field("id", &BasketReceipt::id),
      field("merchant-offers", &BasketReceipt::merchantOffers),
      field("payment-type-offers", &BasketReceipt::paymentTypeOffers),
      field("items", &BasketReceipt::items),
      field("reconciled-total", &BasketReceipt::reconciledTotal),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketReceipt);
