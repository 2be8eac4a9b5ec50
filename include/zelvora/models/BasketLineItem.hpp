#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// One line of a basket: a SKU, how many of it and its price in cents.
class ZELVORA_EXPORT BasketLineItem {
 public:
  std::optional<std::string> sku;
  std::optional<double> qty;
  std::optional<std::int64_t> price;
  std::optional<std::string> name;
};

}  // namespace zelvora
