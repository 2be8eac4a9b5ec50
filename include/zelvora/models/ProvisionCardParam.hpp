#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// A card the app adds to the shopper's wallet, with its details as the shopper typed them.
class ZELVORA_EXPORT ProvisionCardParam {
 public:
  using CardType = CardKind;

  std::optional<std::string> cardNumber;
  std::optional<std::string> cardAlias;
  std::optional<CardType> cardType;
  std::optional<std::string> cardIssuer;
  std::optional<std::string> cardCvc;
  std::optional<std::string> cardPin;
  std::optional<std::string> cardExpiryDate;
  std::optional<std::string> cardHolderZip;
  std::optional<std::string> cardHolderName;
};

}  // namespace zelvora
