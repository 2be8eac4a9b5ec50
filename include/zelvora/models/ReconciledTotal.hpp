#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The totals of one SKU of a basket, in the units of `TotalSummary`.
class ZELVORA_EXPORT ReconciledTotal {
 public:
  std::optional<std::string> sku;
  std::optional<std::int64_t> total;
  std::optional<std::int64_t> discountedTotal;
  std::optional<std::int64_t> tax;
  std::optional<std::int64_t> discountCents;
  std::optional<std::int64_t> discountPct;
};

}  // namespace zelvora
