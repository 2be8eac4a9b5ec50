#include "Models/ModelFields.hpp"

#include <zelvora/models/BasketPreview.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketPreview> {
  static constexpr std::string_view name = "BasketPreview";
  static constexpr auto fields = std::tuple{
      field("offers", &BasketPreview::offers),
      field("payment-instrument-id", &BasketPreview::paymentInstrumentId),
      field("product-offers", &BasketPreview::productOffers),
      field("tags", &BasketPreview::tags),
      field("total-payments", &BasketPreview::totalPayments),
      field("state", &BasketPreview::state),
      field("loyalty-points", &BasketPreview::loyaltyPoints),
      field("summary", &BasketPreview::summary),
      field("fulfillment", &BasketPreview::fulfillment),
      field("id", &BasketPreview::id),
      field("payment-type-offers", &BasketPreview::paymentTypeOffers),
      field("items", &BasketPreview::items),
      field("reconciled-total", &BasketPreview::reconciledTotal),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketPreview);
