#include "Models/ModelFields.hpp"

#include <zelvora/models/Basket.hpp>

namespace zelvora {

template <>
struct ModelFields<Basket> {
  static constexpr std::string_view name = "Basket";
  static constexpr auto fields = std::tuple{
      field("offers", &Basket::offers),
      field("product-offers", &Basket::productOffers),
      field("tags", &Basket::tags),
      field("total-payments", &Basket::totalPayments),
      field("state", &Basket::state),
      field("loyalty-points", &Basket::loyaltyPoints),
      field("summary", &Basket::summary),
      field("fulfillment", &Basket::fulfillment),
      field("id", &Basket::id),
      field("items", &Basket::items),
      field("reconciled-total", &Basket::reconciledTotal),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(Basket);
