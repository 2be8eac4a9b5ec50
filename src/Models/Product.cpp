#include "Models/ModelFields.hpp"

#include <zelvora/models/Product.hpp>

namespace zelvora {

template <>
struct ModelFields<Product> {
  static constexpr std::string_view name = "Product";
  static constexpr auto fields = std::tuple{
      field("description", &Product::description),
      field("image-url", &Product::imageUrl),
      field("merchant-id", &Product::merchantId),
      field("swatch-image-url", &Product::swatchImageUrl),
      field("name", &Product::name),
      field("sku", &Product::sku),
      field("id", &Product::id),
      field("product-features", &Product::productFeatures),
      field("price", &Product::price),
      field("merchant-product-id", &Product::merchantProductId),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(Product);
