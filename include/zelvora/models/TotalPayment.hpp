#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The totals of a basket that fall to one payment instrument, in the units of `TotalSummary`.
class ZELVORA_EXPORT TotalPayment {
 public:
  std::optional<std::string> paymentInstrumentId;
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
