#pragma once

#include <zelvora/Completion.hpp>
#include <zelvora/models/ModelTypes.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

namespace zelvora {

// A completion that also hears the HTTP status the platform answered with, absent when no answer
// came: for a caller that must tell a call the platform refused from one whose outcome nobody
// knows.
template <class T>
using AnsweredCompletion =
    std::function<void(std::shared_ptr<T>, std::optional<Error>, std::optional<int> status)>;

// The one doorway to the platform: a function per endpoint. Each may be called from any thread,
// never fails before it returns, and calls its completion exactly once, later, on the main queue,
// with the decoded reply or the error (a value-less success for a reply of no content).
class ClientAPI {
 public:
  ClientAPI() = delete;

  static void createSession(std::shared_ptr<Client> client, Completion<Session> completion);
  static void lookUpSession(std::string sessionId, Completion<Session> completion);
  static void addShopperToSession(std::shared_ptr<AuthenticatedShopper> authenticatedShopper,
                                  Completion<AuthenticatedSession> completion);
  static void lookUpShopper(std::string shopperId, Completion<Shopper> completion);
  static void lookUpPaymentInstruments(std::string shopperId,
                                       Completion<ModelList<PaymentInstrumentOffer>> completion);
  static void setDefaultPaymentInstrument(
      std::shared_ptr<SetDefaultPaymentInstrumentParam> defaultInstrumentParam,
      Completion<SetDefaultPaymentInstrumentValue> completion);
  static void getDefaultPaymentInstrument(std::string shopperId,
                                          Completion<PaymentInstrumentOffer> completion);
  static void findReceipts(std::string shopperId, Completion<Receipts> completion);
  static void lookUpLoyaltyPoints(std::string shopperId, Completion<ShopperLoyalty> completion);
  static void updateShopperProfile(std::shared_ptr<UpdateShopperProfile> shopperProfile,
                                   Completion<UpdateShopperProfile> completion);
  static void getShopperProfile(std::string shopperId, Completion<ShopperProfile> completion);
  static void createBasket(std::shared_ptr<CreateBasketParam> basketCreateParam,
                           Completion<Basket> completion);
  static void associateBasket(std::shared_ptr<BasketPoS> basketPos,
                              Completion<MerchantPoS> completion);
  static void lookUpBasket(std::string basketId, Completion<Basket> completion);
  static void lookUpReceipt(std::string basketId, Completion<BasketReceipt> completion);
  static void previewPayment(std::shared_ptr<BasketPayment> basketPayment,
                             Completion<BasketPreview> completion);
  static void makePayment(std::shared_ptr<BasketPayment> basketPayment,
                          Completion<BasketPaymentConfirmation> completion);
  static void makePayment(std::shared_ptr<BasketPayment> basketPayment,
                          AnsweredCompletion<BasketPaymentConfirmation> completion);
  static void redeemLoyalty(std::int64_t points, std::string basketId,
                            Completion<Basket> completion);
  static void getMostRecentBasket(std::string sessionId, Completion<Basket> completion);
  static void getActiveBaskets(std::string sessionId, Completion<ModelList<Basket>> completion);
  static void updateBasket(std::shared_ptr<BasketUpdateParam> basketUpdateParam,
                           Completion<Basket> completion);
  static void getProductOffer(std::string qrData, Completion<ProductOffer> completion);
  static void getSkusForProduct(std::string merchantId, std::string merchantProductId,
                                Completion<ModelList<Product>> completion);
  static void getSkuAvailability(std::string merchantId, std::string sku,
                                 Completion<SkuFulfillment> completion);
  static void posCompleteScan(std::shared_ptr<MobilePos> mobilePos,
                              Completion<BasketState> completion);
  static void posReadyForPayment(std::shared_ptr<MobilePos> mobilePos,
                                 Completion<BasketState> completion);
  static void provisionPaymentInstrument(std::shared_ptr<ProvisionCardParam> provisionCardParam,
                                         Completion<WalletPaymentInstrumentInfo> completion);
};

}  // namespace zelvora
