#include "Models/ModelFields.hpp"

#include <zelvora/models/ProductFeaturesMap.hpp>

namespace zelvora {

// Decoding reads "color" before "size", so a map with both values of the wrong kind is reported
// by its "color"; encoding has no key order, so only that report depends on it.
template <>
struct ModelFields<ProductFeaturesMap> {
  static constexpr std::string_view name = "ProductFeaturesMap";
  static constexpr auto fields = std::tuple{
      field("color", &ProductFeaturesMap::color),
      field("size", &ProductFeaturesMap::size),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(ProductFeaturesMap);
