#pragma once

#include "Helpers/StoredModel.hpp"

#include <zelvora/Store.hpp>

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

namespace zelvora::internal {

using PaymentInstrumentOffers = std::vector<std::shared_ptr<PaymentInstrumentOffer>>;
using Products = std::vector<std::shared_ptr<Product>>;

// The SDK's state between calls, one set per process. Every value starts absent. Models are kept
// as the Store's own copies (StoredModel).
struct StoreValues {
  std::optional<std::string> merchantId;
  StoredModel<Session> session;
  StoredModel<Basket> basket;
  // The product page's data, cleared together by cleanUpDravixData().
  StoredModel<ProductOffer> productOffer;
  StoredModel<PaymentInstrumentOffers> paymentInstrumentOffers;
  StoredModel<Products> allSkus;
  StoredModel<Session> instantBuySession;
  StoredModel<ShopperProfile> shopperProfile;
  std::optional<std::string> merchantName;
  std::optional<std::int64_t> shopperLoyaltyPoints;
  std::optional<std::string> customReceiptHtmlUrl;
  std::optional<std::string> customReceiptCssUrl;
  // Credentials and settings given to initialize.
  std::optional<std::string> apiKey;
  std::optional<std::string> apiSecret;
  std::optional<std::string> correlationId;

  // Sets the nine product-page values to absent, in declaration order; leaves the other six.
  void cleanUpDravixData();

  // Equal values; models compare by identity.
  friend bool operator==(const StoreValues&, const StoreValues&) = default;
};

// The process-wide store behind one mutex. It is written on the app's threads, on the main queue
// and from the websocket's callbacks, so every access goes through the lock: reads return copies
// (models as StoredModels sharing the Store's immutable objects), writes replace whole values, and
// update() makes several changes at once. Never call back into StoreState from inside update().
class StoreState {
 public:
  StoreState() = delete;

  // StoreState::get(&StoreValues::session)
  template <class T>
  static T get(T StoreValues::*field) {
    std::lock_guard lock(mutex());
    return values().*field;
  }

  // StoreState::set(&StoreValues::basket, basket)
  template <class T>
  static void set(T StoreValues::*field, std::type_identity_t<T> value) {
    std::lock_guard lock(mutex());
    values().*field = std::move(value);
  }

  // All fifteen values, read together.
  static StoreValues snapshot();

  // Applies several changes as one step; other threads see all of them or none.
  template <class Change>
  static void update(Change&& change) {
    std::lock_guard lock(mutex());
    std::forward<Change>(change)(values());
  }

  static void cleanUpDravixData();

 private:
  static std::mutex& mutex();
  static StoreValues& values();
};

}  // namespace zelvora::internal
