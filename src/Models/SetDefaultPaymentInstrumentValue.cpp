#include "Models/SetDefaultPaymentInstrumentFields.hpp"

#include <zelvora/models/SetDefaultPaymentInstrumentValue.hpp>

namespace zelvora {

template <>
struct ModelFields<SetDefaultPaymentInstrumentValue> {
  static constexpr std::string_view name = "SetDefaultPaymentInstrumentValue";
  static constexpr auto fields =
      std::tuple_cat(setDefaultPaymentInstrumentFields<SetDefaultPaymentInstrumentValue>(),
                     std::tuple{field("default", &SetDefaultPaymentInstrumentValue::_default)});
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(SetDefaultPaymentInstrumentValue);
