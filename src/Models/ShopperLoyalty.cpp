#include "Models/ModelFields.hpp"

#include <zelvora/models/ShopperLoyalty.hpp>

namespace zelvora {

template <>
struct ModelFields<ShopperLoyalty> {
  static constexpr std::string_view name = "ShopperLoyalty";
  static constexpr auto fields = std::tuple{
      field("shopper-id", &ShopperLoyalty::shopperId),
      field("redeemed-points", &ShopperLoyalty::redeemedPoints),
      field("accrued-points", &ShopperLoyalty::accruedPoints),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(ShopperLoyalty);
