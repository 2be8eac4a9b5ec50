#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The card a provisioning added, and the wallet it went into.
class ZELVORA_EXPORT WalletPaymentInstrumentInfo {
 public:
  std::optional<std::string> walletId;
  std::optional<std::string> paymentInstrumentId;
};

}  // namespace zelvora
