#include "Helpers/StoreState.hpp"

#include <atomic>

namespace zelvora {

namespace internal {

void StoreValues::cleanUpDravixData() {
  productOffer = nullptr;
  paymentInstrumentOffers = nullptr;
  allSkus = nullptr;
  instantBuySession = nullptr;
  shopperProfile = nullptr;
  merchantName = std::nullopt;
  shopperLoyaltyPoints = std::nullopt;
  customReceiptHtmlUrl = std::nullopt;
  customReceiptCssUrl = std::nullopt;
}

PlatformRead nextPlatformRead() {
  static std::atomic<PlatformRead> last{0};
  return ++last;
}

namespace {
struct Storage {
  std::mutex mutex;
  StoreValues values;
};

// Never destroyed: threads that outlive main() (the network and websocket threads) may still use
// it.
Storage& storage() {
  static auto* const instance = new Storage;
  return *instance;
}
}  // namespace

std::mutex& StoreState::mutex() {
  return storage().mutex;
}
StoreValues& StoreState::values() {
  return storage().values;
}

StoreValues StoreState::snapshot() {
  std::lock_guard lock(mutex());
  return values();
}

void StoreState::cleanUpDravixData() {
  update([](StoreValues& values) { values.cleanUpDravixData(); });
}

}  // namespace internal

std::optional<std::string> Store::merchantId() {
  return internal::StoreState::get(&internal::StoreValues::merchantId);
}
// The copy is taken outside the lock: the stored object is immutable, so holding it is enough.
std::shared_ptr<const Session> Store::session() {
  return internal::StoreState::get(&internal::StoreValues::session).copy();
}
std::shared_ptr<const Basket> Store::basket() {
  return internal::StoreState::get(&internal::StoreValues::basket).copy();
}

}  // namespace zelvora
