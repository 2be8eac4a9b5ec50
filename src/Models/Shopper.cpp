#include "Models/ModelFields.hpp"

#include <zelvora/models/Shopper.hpp>

namespace zelvora {

template <>
struct ModelFields<Shopper> {
  static constexpr std::string_view name = "Shopper";
  static constexpr auto fields = std::tuple{
      field("id", &Shopper::id),
      field("merchant-id", &Shopper::merchantId),
      field("merchant-shopper-id", &Shopper::merchantShopperId),
      field("wallet-id", &Shopper::walletId),
      field("default-payment-instrument-id", &Shopper::defaultPaymentInstrumentId),
      field("payment-instruments", &Shopper::paymentInstruments),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(Shopper);
