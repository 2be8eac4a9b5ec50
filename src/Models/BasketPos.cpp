#include "Models/ModelFields.hpp"

#include <zelvora/models/BasketPos.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketPoS> {
  static constexpr std::string_view name = "BasketPoS";
  static constexpr auto fields = std::tuple{
      field("basket-id", &BasketPoS::basketId),
      field("pos-id", &BasketPoS::posId),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketPoS);
