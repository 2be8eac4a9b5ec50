#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The body of a payment and of its preview: which basket, paid with which instrument.
class ZELVORA_EXPORT BasketPayment {
 public:
  std::optional<std::string> basketId;
  std::optional<std::string> paymentInstrumentId;
};

}  // namespace zelvora
