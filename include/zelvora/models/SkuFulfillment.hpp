#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// Where and how one SKU of a merchant can be had.
class ZELVORA_EXPORT SkuFulfillment {
 public:
  std::optional<bool> isBopus;
  std::optional<std::string> merchantId;
  std::optional<bool> payInStore;
  std::optional<Date> updated;
  std::optional<Date> created;
  std::optional<std::string> sku;
  std::optional<ModelList<StoreBase>> stores;
  // A whole count of units in stock, unlike the fractional quantity of a basket line.
  std::optional<std::int64_t> qty;
  std::optional<bool> isInStock;
};

}  // namespace zelvora
