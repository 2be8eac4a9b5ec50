#include "Models/ModelFields.hpp"

#include <zelvora/models/WalletPaymentInstrumentInfo.hpp>

namespace zelvora {

template <>
struct ModelFields<WalletPaymentInstrumentInfo> {
  static constexpr std::string_view name = "WalletPaymentInstrumentInfo";
  static constexpr auto fields = std::tuple{
      field("wallet-id", &WalletPaymentInstrumentInfo::walletId),
      field("payment-instrument-id", &WalletPaymentInstrumentInfo::paymentInstrumentId),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(WalletPaymentInstrumentInfo);
