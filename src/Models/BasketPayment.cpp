#include "Models/ModelFields.hpp"

#include <zelvora/models/BasketPayment.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketPayment> {
  static constexpr std::string_view name = "BasketPayment";
  static constexpr auto fields = std::tuple{
      field("basket-id", &BasketPayment::basketId),
      field("payment-instrument-id", &BasketPayment::paymentInstrumentId),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketPayment);
