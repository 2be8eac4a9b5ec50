#include "Models/TotalFields.hpp"

#include <zelvora/models/TotalPayment.hpp>

namespace zelvora {

template <>
struct ModelFields<TotalPayment> {
  static constexpr std::string_view name = "TotalPayment";
  static constexpr auto fields =
      std::tuple_cat(std::tuple{field("payment-instrument-id", &TotalPayment::paymentInstrumentId)},
                     totalAmountFields<TotalPayment>());
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(TotalPayment);
