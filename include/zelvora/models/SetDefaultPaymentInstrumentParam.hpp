#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The body that makes one of the shopper's cards the default.
class ZELVORA_EXPORT SetDefaultPaymentInstrumentParam {
 public:
  std::optional<std::string> shopperId;
  std::optional<std::string> paymentInstrumentId;
};

}  // namespace zelvora
