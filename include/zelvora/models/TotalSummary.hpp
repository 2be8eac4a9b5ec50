#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The totals of a whole basket, in cents but for `discountPct`, a whole-number percentage. They
// are carried as the platform sends them; nothing here checks that they add up.
class ZELVORA_EXPORT TotalSummary {
 public:
  std::optional<std::int64_t> discountedTotal;
  std::optional<std::int64_t> productOfferCents;
  std::optional<std::int64_t> paymentOfferCents;
  std::optional<std::int64_t> discountCents;
  std::optional<std::int64_t> tax;
  std::optional<std::int64_t> loyaltyCents;
  std::optional<std::int64_t> paymentTotal;
  std::optional<std::int64_t> total;
  std::optional<std::int64_t> discountPct;
};

}  // namespace zelvora
