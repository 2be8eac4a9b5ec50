#include "APIs/ClientCore.hpp"

#include "Helpers/StoredIdentifiers.hpp"

namespace zelvora::internal {
namespace {

using Reason = ZelvoraError::RequiredDataNotAvailableReason;

// A stored identifier a call cannot go without, and the reason reported when it is missing.
struct Requirement {
  std::optional<std::string> (*read)(const StoreValues&);
  Reason reason;
};

constexpr Requirement kMerchantId{&merchantIdIn, Reason::merchantIdNotAvailable};
constexpr Requirement kSessionId{&sessionIdIn, Reason::sessionNotAvailable};
constexpr Requirement kShopperId{&shopperIdIn, Reason::shopperIdNotAvailable};
constexpr Requirement kBasketId{&basketIdIn, Reason::basketIdNotAvailable};

template <class T>
void reportMissing(Reason reason, const Completion<T>& completion) {
  completion(nullptr, ZelvoraError::requiredDataNotAvailable(reason));
}

// The identifier, or absent once the completion has been told that it is missing.
template <class T>
std::optional<std::string> require(const StoreValues& store, const Requirement& requirement,
                                   const Completion<T>& completion) {
  auto identifier = requirement.read(store);
  if (isPresent(identifier)) {
    return identifier;
  }
  reportMissing(requirement.reason, completion);
  return std::nullopt;
}

// For the endpoints that take nothing but the one stored identifier.
template <class T>
void sendStored(const StoreValues& store, const Requirement& requirement,
                void (ServiceProvider::*endpoint)(std::string, Completion<T>),
                Completion<T> completion) {
  if (auto identifier = require(store, requirement, completion)) {
    (ClientCore::coreServiceProvider().*endpoint)(std::move(*identifier), std::move(completion));
  }
}

}  // namespace

const ModelDataProvider& ClientCore::modelDataProvider() {
  // Never destroyed: replies may still arrive while the process exits.
  static const ModelDataProvider* const provider = makeCoreModelDataProvider().release();
  return *provider;
}

ServiceProvider& ClientCore::coreServiceProvider() {
  static ServiceProvider* const provider = makeCoreServiceProvider().release();
  return *provider;
}

void ClientCore::createSession(const StoreValues& store, Completion<Session> completion) {
  if (const auto merchantId = require(store, kMerchantId, completion)) {
    coreServiceProvider().createSession(modelDataProvider().buildClient(*merchantId),
                                        std::move(completion));
  }
}

void ClientCore::getSession(const StoreValues& store, Completion<Session> completion) {
  sendStored(store, kSessionId, &ServiceProvider::getSession, std::move(completion));
}

void ClientCore::authenticateShopper(const StoreValues& store, std::string shopperId,
                                     std::string authToken,
                                     Completion<AuthenticatedSession> completion) {
  if (const auto sessionId = require(store, kSessionId, completion)) {
    coreServiceProvider().addShopperToSession(
        modelDataProvider().buildAuthenticatedShopper(*sessionId, shopperId, authToken),
        std::move(completion));
  }
}

void ClientCore::createBasket(const StoreValues& store, Completion<Basket> completion) {
  if (const auto sessionId = require(store, kSessionId, completion)) {
    coreServiceProvider().createBasket(modelDataProvider().buildCreateBasket(*sessionId),
                                       std::move(completion));
  }
}

void ClientCore::getActiveBaskets(const StoreValues& store,
                                  Completion<ModelList<Basket>> completion) {
  sendStored(store, kSessionId, &ServiceProvider::getActiveBaskets, std::move(completion));
}

void ClientCore::getMostRecentBasket(const StoreValues& store, Completion<Basket> completion) {
  sendStored(store, kSessionId, &ServiceProvider::getMostRecentBasket, std::move(completion));
}

void ClientCore::getShopper(const StoreValues& store, Completion<Shopper> completion) {
  sendStored(store, kShopperId, &ServiceProvider::getShopper, std::move(completion));
}

void ClientCore::getShopperProfile(const StoreValues& store,
                                   Completion<ShopperProfile> completion) {
  sendStored(store, kShopperId, &ServiceProvider::getShopperProfile, std::move(completion));
}

void ClientCore::updateShopperProfile(const StoreValues& store,
                                      std::shared_ptr<UpdateShopperProfile> shopperProfile,
                                      Completion<UpdateShopperProfile> completion) {
  if (const auto shopperId = require(store, kShopperId, completion)) {
    coreServiceProvider().updateShopperProfile(
        modelDataProvider().buildUpdateShopperProfile(shopperProfile, *shopperId),
        std::move(completion));
  }
}

void ClientCore::getPaymentInstruments(const StoreValues& store,
                                       Completion<ModelList<PaymentInstrumentOffer>> completion) {
  sendStored(store, kShopperId, &ServiceProvider::getPaymentInstruments, std::move(completion));
}

void ClientCore::setDefaultPaymentInstrument(
    const StoreValues& store, std::string paymentInstrumentId,
    Completion<SetDefaultPaymentInstrumentValue> completion) {
  if (const auto shopperId = require(store, kShopperId, completion)) {
    coreServiceProvider().setDefaultPaymentInstrument(
        modelDataProvider().buildDefaultPaymentInstrument(*shopperId, paymentInstrumentId),
        std::move(completion));
  }
}

void ClientCore::getShopperDefaultPaymentInstrument(const StoreValues& store,
                                                    Completion<PaymentInstrumentOffer> completion) {
  sendStored(store, kShopperId, &ServiceProvider::getShopperDefaultPaymentInstrument,
             std::move(completion));
}

void ClientCore::getLoyalty(const StoreValues& store, Completion<ShopperLoyalty> completion) {
  sendStored(store, kShopperId, &ServiceProvider::getLoyalty, std::move(completion));
}

void ClientCore::getReceipts(const StoreValues& store, Completion<Receipts> completion) {
  sendStored(store, kShopperId, &ServiceProvider::getReceipts, std::move(completion));
}

void ClientCore::getBasket(const StoreValues& store, std::optional<std::string> basketId,
                           Completion<Basket> completion) {
  if (basketId) {
    coreServiceProvider().getBasket(std::move(*basketId), std::move(completion));
    return;
  }
  sendStored(store, kBasketId, &ServiceProvider::getBasket, std::move(completion));
}

void ClientCore::updateBasket(const StoreValues& store, std::shared_ptr<BasketUpdateParam> basket,
                              Completion<Basket> completion) {
  if (const auto basketId = require(store, kBasketId, completion)) {
    coreServiceProvider().updateBasket(modelDataProvider().buildUpdateBasket(basket, *basketId),
                                       std::move(completion));
  }
}

void ClientCore::associateBasket(const StoreValues& store, std::optional<std::string> posId,
                                 Completion<MerchantPoS> completion) {
  const auto basketId = require(store, kBasketId, completion);
  if (!basketId) {
    return;
  }
  if (!posId) {
    reportMissing(Reason::posIdNotAvailable, completion);
    return;
  }
  coreServiceProvider().associateBasketToPos(modelDataProvider().buildBasketPos(*basketId, *posId),
                                             std::move(completion));
}

void ClientCore::redeemLoyalty(const StoreValues& store, std::int64_t loyaltyPoints,
                               Completion<Basket> completion) {
  if (auto basketId = require(store, kBasketId, completion)) {
    coreServiceProvider().redeemLoyalty(loyaltyPoints, std::move(*basketId), std::move(completion));
  }
}

void ClientCore::paymentPreview(const StoreValues& store, std::string paymentInstrumentId,
                                Completion<BasketPreview> completion) {
  if (const auto basketId = require(store, kBasketId, completion)) {
    coreServiceProvider().paymentPreview(
        modelDataProvider().buildBasketPayment(*basketId, paymentInstrumentId),
        std::move(completion));
  }
}

void ClientCore::pay(const StoreValues& store, std::string paymentInstrumentId,
                     Completion<BasketPaymentConfirmation> completion) {
  if (const auto basketId = require(store, kBasketId, completion)) {
    coreServiceProvider().pay(
        modelDataProvider().buildBasketPayment(*basketId, paymentInstrumentId),
        std::move(completion));
  }
}

void ClientCore::getReceipt(const StoreValues& store, Completion<BasketReceipt> completion) {
  sendStored(store, kBasketId, &ServiceProvider::getReceipt, std::move(completion));
}

void ClientCore::postCompleteScan(const StoreValues& store, Completion<BasketState> completion) {
  if (const auto basketId = require(store, kBasketId, completion)) {
    coreServiceProvider().postCompleteScan(modelDataProvider().buildMobilePos(*basketId),
                                           std::move(completion));
  }
}

void ClientCore::posReadyForPayment(const StoreValues& store, Completion<BasketState> completion) {
  if (const auto basketId = require(store, kBasketId, completion)) {
    coreServiceProvider().posReadyForPayment(modelDataProvider().buildMobilePos(*basketId),
                                             std::move(completion));
  }
}

void ClientCore::provisionPaymentInstrument(const StoreValues&,
                                            std::shared_ptr<ProvisionCardParam> provisionCardParam,
                                            Completion<WalletPaymentInstrumentInfo> completion) {
  coreServiceProvider().provisionPaymentInstrument(std::move(provisionCardParam),
                                                   std::move(completion));
}

void ClientCore::getProductOffer(const StoreValues&, std::string qr,
                                 Completion<ProductOffer> completion) {
  coreServiceProvider().getProductOffer(std::move(qr), std::move(completion));
}

void ClientCore::getSkusForProduct(const StoreValues& store, std::string productOfferId,
                                   Completion<ModelList<Product>> completion) {
  if (auto merchantId = require(store, kMerchantId, completion)) {
    coreServiceProvider().getSkusForProduct(std::move(*merchantId), std::move(productOfferId),
                                            std::move(completion));
  }
}

void ClientCore::getSkuAvailability(const StoreValues& store, std::string skuId,
                                    Completion<SkuFulfillment> completion) {
  if (auto merchantId = require(store, kMerchantId, completion)) {
    coreServiceProvider().getSkuAvailability(std::move(*merchantId), std::move(skuId),
                                             std::move(completion));
  }
}

}  // namespace zelvora::internal
