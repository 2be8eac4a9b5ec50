#include "Models/SetDefaultPaymentInstrumentFields.hpp"

#include <zelvora/models/SetDefaultPaymentInstrumentParam.hpp>

namespace zelvora {

template <>
struct ModelFields<SetDefaultPaymentInstrumentParam> {
  static constexpr std::string_view name = "SetDefaultPaymentInstrumentParam";
  static constexpr auto fields =
      setDefaultPaymentInstrumentFields<SetDefaultPaymentInstrumentParam>();
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(SetDefaultPaymentInstrumentParam);
