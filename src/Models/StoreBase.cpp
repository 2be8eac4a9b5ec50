#include "Models/ModelFields.hpp"

#include <zelvora/models/StoreBase.hpp>

namespace zelvora {

template <>
struct ModelFields<StoreBase> {
  static constexpr std::string_view name = "StoreBase";
  static constexpr auto fields = std::tuple{
      field("name", &StoreBase::name),
      field("address", &StoreBase::address),
      field("zip", &StoreBase::zip),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(StoreBase);
