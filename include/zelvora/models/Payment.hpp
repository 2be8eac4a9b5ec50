#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// One payment recorded on a receipt: the instrument that paid and the amount in cents.
class ZELVORA_EXPORT Payment {
 public:
  using CardType = CardKind;

  std::optional<std::string> paymentInstrumentId;
  std::optional<std::int64_t> amount;
  std::optional<CardType> cardType;
  std::optional<std::string> cardIssuer;
  std::optional<std::string> cardNumber;
  // Kept as the platform writes it; it is a card's month and year, not an instant.
  std::optional<std::string> cardExpiryDate;
  std::optional<std::string> cardAlias;
};

}  // namespace zelvora
