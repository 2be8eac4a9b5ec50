#pragma once

#include "Models/ModelFields.hpp"

namespace zelvora {

// The request that makes a card the shopper's default and the platform's answer name the shopper
// and the card under the same two keys; the answer adds only whether the card is now the default.
template <class M>
constexpr auto setDefaultPaymentInstrumentFields() {
  return std::tuple{
      field("shopper-id", &M::shopperId),
      field("payment-instrument-id", &M::paymentInstrumentId),
  };
}

}  // namespace zelvora
