#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// One SKU of a merchant's product, priced in cents.
class ZELVORA_EXPORT Product {
 public:
  std::optional<std::string> description;
  std::optional<std::string> imageUrl;
  std::optional<std::string> merchantId;
  std::optional<std::string> swatchImageUrl;
  std::optional<std::string> name;
  std::optional<std::string> sku;
  std::optional<std::string> id;
  std::shared_ptr<ProductFeaturesMap> productFeatures;
  std::optional<std::int64_t> price;
  std::optional<std::string> merchantProductId;
};

}  // namespace zelvora
