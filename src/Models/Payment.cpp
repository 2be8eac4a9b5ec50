#include "Models/ModelFields.hpp"

#include <zelvora/models/Payment.hpp>

namespace zelvora {

template <>
struct ModelFields<Payment> {
  static constexpr std::string_view name = "Payment";
  static constexpr auto fields = std::tuple{
      field("payment-instrument-id", &Payment::paymentInstrumentId),
      field("amount", &Payment::amount),
      field("card-type", &Payment::cardType),
      field("card-issuer", &Payment::cardIssuer),
      field("card-number", &Payment::cardNumber),
      field("card-expiry-date", &Payment::cardExpiryDate),
      field("card-alias", &Payment::cardAlias),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(Payment);
