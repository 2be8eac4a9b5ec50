#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// A discount on one SKU, given in cents or as a percentage.
class ZELVORA_EXPORT SkuOffer {
 public:
  std::optional<std::string> description;
  std::optional<std::string> imageUrl;
  std::optional<std::string> merchantId;
  std::optional<std::int64_t> redemptionsAllowed;
  std::optional<std::int64_t> discountCents;
  std::optional<Date> created;
  std::optional<std::string> title;
  std::optional<std::string> sku;
  std::optional<bool> isActive;
  std::optional<std::string> id;
  std::optional<std::int64_t> discountPct;
};

}  // namespace zelvora
