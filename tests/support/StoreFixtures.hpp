#pragma once

#include "Helpers/Constants.hpp"
#include "Helpers/StoreState.hpp"

#include <zelvora/models/Models.hpp>

#include <memory>

namespace zelvora::test {

// A distinct, empty model, for tests that only need a value present. The Store copies what it
// is given, so the object must be a real one.
template <class Model>
std::shared_ptr<Model> placeholder() {
  return std::make_shared<Model>();
}

// Empties the Store and puts the server address back to its defaults.
inline void resetStoreAndConstants() {
  internal::StoreState::update(
      [](internal::StoreValues& values) { values = internal::StoreValues{}; });
  Constants::setServerAddress({std::string(Constants::defaultUrlScheme),
                               std::string(Constants::defaultHost), Constants::defaultHostPort});
}

// A Store in which every one of the fifteen values is present.
inline internal::StoreValues fullStore() {
  internal::StoreValues values;
  values.merchantId = "old-merchant";
  values.session = placeholder<Session>();
  values.basket = placeholder<Basket>();
  values.productOffer = placeholder<ProductOffer>();
  values.paymentInstrumentOffers = std::make_shared<internal::PaymentInstrumentOffers>();
  values.allSkus = std::make_shared<internal::Products>();
  values.instantBuySession = placeholder<Session>();
  values.shopperProfile = placeholder<ShopperProfile>();
  values.merchantName = "Old Merchant";
  values.shopperLoyaltyPoints = 120;
  values.customReceiptHtmlUrl = "https://example.com/receipt.html";
  values.customReceiptCssUrl = "https://example.com/receipt.css";
  values.apiKey = "old-key";
  values.apiSecret = "old-secret";
  values.correlationId = "old-correlation";
  return values;
}

inline void fillStore() {
  internal::StoreState::update([](internal::StoreValues& values) { values = fullStore(); });
}

}  // namespace zelvora::test
