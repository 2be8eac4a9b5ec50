#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The platform's answer to a change of the shopper's default card.
class ZELVORA_EXPORT SetDefaultPaymentInstrumentValue {
 public:
  std::optional<std::string> shopperId;
  std::optional<std::string> paymentInstrumentId;
  std::optional<bool> _default;
};

}  // namespace zelvora
