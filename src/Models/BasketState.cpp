#include "Models/ModelFields.hpp"

#include <zelvora/models/BasketState.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketState> {
  static constexpr std::string_view name = "BasketState";
  static constexpr auto fields = std::tuple{
      field("status", &BasketState::status),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketState);
