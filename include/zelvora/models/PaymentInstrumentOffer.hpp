#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// A card in the shopper's wallet and the offers that come with paying by it.
class ZELVORA_EXPORT PaymentInstrumentOffer {
 public:
  using CardType = CardKind;

  std::optional<ModelList<PaymentTypeOffer>> offers;
  std::optional<std::string> paymentInstrumentId;
  std::optional<std::string> cardNumber;
  std::optional<std::string> cardAlias;
  std::optional<bool> isExpired;
  std::optional<bool> _default;
  std::optional<CardType> cardType;
  std::optional<std::string> cardIssuer;
  std::optional<std::string> cardExpiryDate;
  std::optional<std::string> cardImageUrl;
};

}  // namespace zelvora
