#pragma once

#include <zelvora/Completion.hpp>
#include <zelvora/models/ModelTypes.hpp>

#include <cstdint>
#include <memory>
#include <string>

namespace zelvora::internal {

// One requirement per platform endpoint. Each returns at once and later calls its completion
// exactly once, on the main queue, with the reply's value or the error, as received.
class ServiceProvider {
 public:
  virtual ~ServiceProvider() = default;

  virtual void createSession(std::shared_ptr<Client> client, Completion<Session> completion) = 0;
  virtual void addShopperToSession(std::shared_ptr<AuthenticatedShopper> authenticatedShopper,
                                   Completion<AuthenticatedSession> completion) = 0;
  virtual void getSession(std::string sessionId, Completion<Session> completion) = 0;
  virtual void createBasket(std::shared_ptr<CreateBasketParam> basketParams,
                            Completion<Basket> completion) = 0;
  virtual void getShopper(std::string shopperId, Completion<Shopper> completion) = 0;
  virtual void getPaymentInstruments(std::string shopperId,
                                     Completion<ModelList<PaymentInstrumentOffer>> completion) = 0;
  virtual void setDefaultPaymentInstrument(
      std::shared_ptr<SetDefaultPaymentInstrumentParam> defaultPaymentParams,
      Completion<SetDefaultPaymentInstrumentValue> completion) = 0;
  virtual void associateBasketToPos(std::shared_ptr<BasketPoS> basketPosParams,
                                    Completion<MerchantPoS> completion) = 0;
  virtual void getBasket(std::string basketId, Completion<Basket> completion) = 0;
  virtual void updateBasket(std::shared_ptr<BasketUpdateParam> basketUpdateParam,
                            Completion<Basket> completion) = 0;
  virtual void getReceipt(std::string basketId, Completion<BasketReceipt> completion) = 0;
  virtual void getLoyalty(std::string shopperId, Completion<ShopperLoyalty> completion) = 0;
  virtual void redeemLoyalty(std::int64_t loyaltyPoints, std::string basketId,
                             Completion<Basket> completion) = 0;
  virtual void getReceipts(std::string shopperId, Completion<Receipts> completion) = 0;
  virtual void pay(std::shared_ptr<BasketPayment> basketPaymentParam,
                   Completion<BasketPaymentConfirmation> completion) = 0;
  virtual void paymentPreview(std::shared_ptr<BasketPayment> basketPaymentParam,
                              Completion<BasketPreview> completion) = 0;
  virtual void provisionPaymentInstrument(std::shared_ptr<ProvisionCardParam> provisionCardParam,
                                          Completion<WalletPaymentInstrumentInfo> completion) = 0;
  virtual void getShopperProfile(std::string shopperId, Completion<ShopperProfile> completion) = 0;
  virtual void getProductOffer(std::string qr, Completion<ProductOffer> completion) = 0;
  // The merchant's id is part of the product and SKU addresses.
  virtual void getSkusForProduct(std::string merchantId, std::string productOfferId,
                                 Completion<ModelList<Product>> completion) = 0;
  virtual void getSkuAvailability(std::string merchantId, std::string skuId,
                                  Completion<SkuFulfillment> completion) = 0;
  virtual void postCompleteScan(std::shared_ptr<MobilePos> mobilePos,
                                Completion<BasketState> completion) = 0;
  virtual void posReadyForPayment(std::shared_ptr<MobilePos> mobilePos,
                                  Completion<BasketState> completion) = 0;
  virtual void getShopperDefaultPaymentInstrument(
      std::string shopperId, Completion<PaymentInstrumentOffer> completion) = 0;
  virtual void getActiveBaskets(std::string sessionId,
                                Completion<ModelList<Basket>> completion) = 0;
  virtual void getMostRecentBasket(std::string sessionId, Completion<Basket> completion) = 0;
  virtual void updateShopperProfile(std::shared_ptr<UpdateShopperProfile> shopperProfile,
                                    Completion<UpdateShopperProfile> completion) = 0;
};

// The provider that reaches the platform through ClientAPI.
std::unique_ptr<ServiceProvider> makeCoreServiceProvider();

}  // namespace zelvora::internal
