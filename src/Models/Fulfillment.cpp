#include "Models/ModelFields.hpp"

#include <zelvora/models/Fulfillment.hpp>

namespace zelvora {

template <>
struct ModelFields<Fulfillment> {
  static constexpr std::string_view name = "Fulfillment";
  static constexpr auto fields = std::tuple{
      field("pay-in-store", &Fulfillment::payInStore),
      field("reserve-date", &Fulfillment::reserveDate),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(Fulfillment);
