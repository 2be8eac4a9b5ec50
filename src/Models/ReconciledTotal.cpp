#include "Models/ModelFields.hpp"

#include <zelvora/models/ReconciledTotal.hpp>

namespace zelvora {

template <>
struct ModelFields<ReconciledTotal> {
  static constexpr std::string_view name = "ReconciledTotal";
  static constexpr auto fields = std::tuple{
      field("sku", &ReconciledTotal::sku),
      field("total", &ReconciledTotal::total),
      field("discounted-total", &ReconciledTotal::discountedTotal),
      field("tax", &ReconciledTotal::tax),
      field("discount-cents", &ReconciledTotal::discountCents),
      field("discount-pct", &ReconciledTotal::discountPct),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(ReconciledTotal);
