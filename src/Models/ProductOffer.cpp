#include "Models/ModelFields.hpp"

#include <zelvora/models/ProductOffer.hpp>

namespace zelvora {

template <>
struct ModelFields<ProductOffer> {
  static constexpr std::string_view name = "ProductOffer";
  static constexpr auto fields = std::tuple{
      field("description", &ProductOffer::description),
      field("image-url", &ProductOffer::imageUrl),
      field("merchant-id", &ProductOffer::merchantId),
      field("is-free-shipping", &ProductOffer::isFreeShipping),
      field("offer-url", &ProductOffer::offerUrl),
      field("updated", &ProductOffer::updated),
      field("value", &ProductOffer::value),
      field("start-time", &ProductOffer::startTime),
      field("channel", &ProductOffer::channel),
      field("type", &ProductOffer::type),
      field("created", &ProductOffer::created),
      field("stop-time", &ProductOffer::stopTime),
      field("id", &ProductOffer::id),
      field("context", &ProductOffer::context),
      field("is-valid", &ProductOffer::isValid),
      field("product-id", &ProductOffer::productId),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(ProductOffer);
