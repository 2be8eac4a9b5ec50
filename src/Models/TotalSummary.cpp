#include "Models/TotalFields.hpp"

#include <zelvora/models/TotalSummary.hpp>

namespace zelvora {

template <>
struct ModelFields<TotalSummary> {
  static constexpr std::string_view name = "TotalSummary";
  static constexpr auto fields = totalAmountFields<TotalSummary>();
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(TotalSummary);
