#include "Models/ModelFields.hpp"

#include <zelvora/models/BasketPaymentConfirmation.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketPaymentConfirmation> {
  static constexpr std::string_view name = "BasketPaymentConfirmation";
  static constexpr auto fields = std::tuple{
      field("basket-id", &BasketPaymentConfirmation::basketId),
      field("status", &BasketPaymentConfirmation::status),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketPaymentConfirmation);
