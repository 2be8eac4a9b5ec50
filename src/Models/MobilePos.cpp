#include "Models/ModelFields.hpp"

#include <zelvora/models/MobilePos.hpp>

namespace zelvora {

template <>
struct ModelFields<MobilePos> {
  static constexpr std::string_view name = "MobilePos";
  static constexpr auto fields = std::tuple{
      field("basket-id", &MobilePos::basketId),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(MobilePos);
