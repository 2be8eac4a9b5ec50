#include "Models/ModelFields.hpp"

#include <zelvora/models/BasketUpdateParam.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketUpdateParam> {
  static constexpr std::string_view name = "BasketUpdateParam";
  static constexpr auto fields = std::tuple{
      field("basket-id", &BasketUpdateParam::basketId),
      field("items", &BasketUpdateParam::items),
      field("sku-offers", &BasketUpdateParam::skuOffers),
      field("product-offers", &BasketUpdateParam::productOffers),
      field("tags", &BasketUpdateParam::tags),
      field("fulfillment", &BasketUpdateParam::fulfillment),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketUpdateParam);
