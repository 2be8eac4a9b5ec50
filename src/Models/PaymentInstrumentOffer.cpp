#include "Models/ModelFields.hpp"

#include <zelvora/models/PaymentInstrumentOffer.hpp>

namespace zelvora {

template <>
struct ModelFields<PaymentInstrumentOffer> {
  static constexpr std::string_view name = "PaymentInstrumentOffer";
  static constexpr auto fields = std::tuple{
      field("offers", &PaymentInstrumentOffer::offers),
      field("payment-instrument-id", &PaymentInstrumentOffer::paymentInstrumentId),
      field("card-number", &PaymentInstrumentOffer::cardNumber),
      field("card-alias", &PaymentInstrumentOffer::cardAlias),
      field("is-expired", &PaymentInstrumentOffer::isExpired),
      field("default", &PaymentInstrumentOffer::_default),
      field("card-type", &PaymentInstrumentOffer::cardType),
      field("card-issuer", &PaymentInstrumentOffer::cardIssuer),
      field("card-expiry-date", &PaymentInstrumentOffer::cardExpiryDate),
      field("card-image-url", &PaymentInstrumentOffer::cardImageUrl),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(PaymentInstrumentOffer);
