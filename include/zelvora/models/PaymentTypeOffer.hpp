#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// A discount the merchant ties to a kind of card, given in cents or as a percentage.
class ZELVORA_EXPORT PaymentTypeOffer {
 public:
  using PaymentType = CardKind;

  std::optional<std::string> description;
  std::optional<std::string> imageUrl;
  std::optional<std::string> merchantId;
  std::optional<std::int64_t> redemptionsAllowed;
  std::optional<std::int64_t> discountCents;
  std::optional<Date> created;
  std::optional<std::string> title;
  std::optional<bool> isActive;
  std::optional<std::string> id;
  std::optional<PaymentType> paymentType;
  std::optional<std::int64_t> discountPct;
};

}  // namespace zelvora
