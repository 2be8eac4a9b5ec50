#include "Models/ModelFields.hpp"

#include <zelvora/models/BasketLineItem.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketLineItem> {
  static constexpr std::string_view name = "BasketLineItem";
  static constexpr auto fields = std::tuple{
      field("sku", &BasketLineItem::sku),
      field("qty", &BasketLineItem::qty),
      field("price", &BasketLineItem::price),
      field("name", &BasketLineItem::name),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketLineItem);
