#include "Models/ModelFields.hpp"

#include <zelvora/models/LocationInfo.hpp>

namespace zelvora {

template <>
struct ModelFields<LocationInfo> {
  static constexpr std::string_view name = "LocationInfo";
  static constexpr auto fields = std::tuple{
      field("format", &LocationInfo::format),
      field("zip", &LocationInfo::zip),
      field("store", &LocationInfo::store),
      field("geo", &LocationInfo::geo),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(LocationInfo);
