#pragma once

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

// The SDK's state between calls, one set per process. Every value starts absent.
struct StoreValues {
  std::optional<std::string> merchantId;
  std::shared_ptr<Session> session;
  std::shared_ptr<Basket> basket;
  // The product page's data, cleared together by cleanUpDravixData().
  std::shared_ptr<ProductOffer> productOffer;
  std::shared_ptr<PaymentInstrumentOffers> paymentInstrumentOffers;
  std::shared_ptr<Products> allSkus;
  std::shared_ptr<Session> instantBuySession;
  std::shared_ptr<ShopperProfile> shopperProfile;
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
// (models as shared pointers to the same objects), writes replace whole values, and update() makes
// several changes at once. Never call back into StoreState from inside update().
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
