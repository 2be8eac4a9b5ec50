#include "Models/ModelFields.hpp"

#include <zelvora/models/SkuFulfillment.hpp>

namespace zelvora {

template <>
struct ModelFields<SkuFulfillment> {
  static constexpr std::string_view name = "SkuFulfillment";
  static constexpr auto fields = std::tuple{
      field("is-bopus", &SkuFulfillment::isBopus),
      field("merchant-id", &SkuFulfillment::merchantId),
      field("pay-in-store", &SkuFulfillment::payInStore),
      field("updated", &SkuFulfillment::updated),
      field("created", &SkuFulfillment::created),
      field("sku", &SkuFulfillment::sku),
      field("stores", &SkuFulfillment::stores),
      field("qty", &SkuFulfillment::qty),
      field("is-in-stock", &SkuFulfillment::isInStock),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(SkuFulfillment);
