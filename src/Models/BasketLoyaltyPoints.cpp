#include "Models/ModelFields.hpp"

#include <zelvora/models/BasketLoyaltyPoints.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketLoyaltyPoints> {
  static constexpr std::string_view name = "BasketLoyaltyPoints";
  static constexpr auto fields = std::tuple{
      field("basket-id", &BasketLoyaltyPoints::basketId),
      field("points", &BasketLoyaltyPoints::points),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketLoyaltyPoints);
