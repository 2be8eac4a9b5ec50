#pragma once

#include "Models/ModelFields.hpp"

namespace zelvora {

// `SkuOffer` and `PaymentTypeOffer` open with the same seven keys; they differ only in what
// the offer is tied to.
template <class O>
constexpr auto discountOfferLeadingFields() {
  return std::tuple{
      field("description", &O::description),
      field("image-url", &O::imageUrl),
      field("merchant-id", &O::merchantId),
      field("redemptions-allowed", &O::redemptionsAllowed),
      field("discount-cents", &O::discountCents),
      field("created", &O::created),
      field("title", &O::title),
  };
}

}  // namespace zelvora
