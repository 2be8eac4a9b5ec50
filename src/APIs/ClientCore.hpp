#pragma once

#include "APIs/ModelDataProvider.hpp"
#include "APIs/ServiceProvider.hpp"
#include "Helpers/StoreState.hpp"

#include <zelvora/Completion.hpp>
#include <zelvora/models/ModelTypes.hpp>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace zelvora::internal {

// One function per SDK call, between the operations and the platform. Each takes the Store values
// its operation read, checks that the identifiers the call needs are there (present and not
// empty), builds the request model and calls the endpoint. A missing identifier is reported to the
// completion at once, on the calling thread, as requiredDataNotAvailable with its reason, and
// nothing is sent; otherwise the completion runs later, once, on the main queue, with the reply.
class ClientCore {
 public:
  ClientCore() = delete;

  // Created on first use, from any thread, and kept for the life of the process.
  static const ModelDataProvider& modelDataProvider();
  static ServiceProvider& coreServiceProvider();

  // Needs the merchant id.
  static void createSession(const StoreValues& store, Completion<Session> completion);

  // Need the session id.
  static void getSession(const StoreValues& store, Completion<Session> completion);
  static void authenticateShopper(const StoreValues& store, std::string shopperId,
                                  std::string authToken,
                                  Completion<AuthenticatedSession> completion);
  static void createBasket(const StoreValues& store, Completion<Basket> completion);
  static void getActiveBaskets(const StoreValues& store, Completion<ModelList<Basket>> completion);
  static void getMostRecentBasket(const StoreValues& store, Completion<Basket> completion);

  // Need the session's shopper id.
  static void getShopper(const StoreValues& store, Completion<Shopper> completion);
  static void getShopperProfile(const StoreValues& store, Completion<ShopperProfile> completion);
  static void updateShopperProfile(const StoreValues& store,
                                   std::shared_ptr<UpdateShopperProfile> shopperProfile,
                                   Completion<UpdateShopperProfile> completion);
  static void getPaymentInstruments(const StoreValues& store,
                                    Completion<ModelList<PaymentInstrumentOffer>> completion);
  static void setDefaultPaymentInstrument(const StoreValues& store, std::string paymentInstrumentId,
                                          Completion<SetDefaultPaymentInstrumentValue> completion);
  static void getShopperDefaultPaymentInstrument(const StoreValues& store,
                                                 Completion<PaymentInstrumentOffer> completion);
  static void getLoyalty(const StoreValues& store, Completion<ShopperLoyalty> completion);
  static void getReceipts(const StoreValues& store, Completion<Receipts> completion);

  // Need the basket id.
  // A given basket id, even an empty one, is used as it is; only an absent one falls back to the
  // stored basket's.
  static void getBasket(const StoreValues& store, std::optional<std::string> basketId,
                        Completion<Basket> completion);
  static void updateBasket(const StoreValues& store, std::shared_ptr<BasketUpdateParam> basket,
                           Completion<Basket> completion);
  // The basket is checked first; then the POS id must be given (an empty one is sent).
  static void associateBasket(const StoreValues& store, std::optional<std::string> posId,
                              Completion<MerchantPoS> completion);
  static void redeemLoyalty(const StoreValues& store, std::int64_t loyaltyPoints,
                            Completion<Basket> completion);
  static void paymentPreview(const StoreValues& store, std::string paymentInstrumentId,
                             Completion<BasketPreview> completion);
  static void pay(const StoreValues& store, std::string paymentInstrumentId,
                  Completion<BasketPaymentConfirmation> completion);
  static void getReceipt(const StoreValues& store, Completion<BasketReceipt> completion);
  static void postCompleteScan(const StoreValues& store, Completion<BasketState> completion);
  static void posReadyForPayment(const StoreValues& store, Completion<BasketState> completion);

  // Need nothing stored.
  static void provisionPaymentInstrument(const StoreValues& store,
                                         std::shared_ptr<ProvisionCardParam> provisionCardParam,
                                         Completion<WalletPaymentInstrumentInfo> completion);
  static void getProductOffer(const StoreValues& store, std::string qr,
                              Completion<ProductOffer> completion);

  // Need the merchant id, which is part of the address.
  static void getSkusForProduct(const StoreValues& store, std::string productOfferId,
                                Completion<ModelList<Product>> completion);
  static void getSkuAvailability(const StoreValues& store, std::string skuId,
                                 Completion<SkuFulfillment> completion);
};

}  // namespace zelvora::internal
