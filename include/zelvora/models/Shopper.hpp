#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The shopper of the current session and the payment instruments in the shopper's wallet.
class ZELVORA_EXPORT Shopper {
 public:
  std::optional<std::string> id;
  std::optional<std::string> merchantId;
  std::optional<std::string> merchantShopperId;
  std::optional<std::string> walletId;
  std::optional<std::string> defaultPaymentInstrumentId;
  std::optional<std::vector<std::string>> paymentInstruments;
};

}  // namespace zelvora
