#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// What sets one SKU of a product apart from the others.
class ZELVORA_EXPORT ProductFeaturesMap {
 public:
  std::optional<std::string> size;
  std::optional<std::string> color;
};

}  // namespace zelvora
