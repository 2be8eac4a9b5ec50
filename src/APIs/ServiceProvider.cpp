#include "APIs/ServiceProvider.hpp"

#include "APIs/Generated/ClientAPI.hpp"

namespace zelvora::internal {
namespace {

class CoreServiceProvider final : public ServiceProvider {
 public:
  void createSession(std::shared_ptr<Client> client, Completion<Session> completion) override {
    ClientAPI::createSession(std::move(client), std::move(completion));
  }
  void addShopperToSession(std::shared_ptr<AuthenticatedShopper> authenticatedShopper,
                           Completion<AuthenticatedSession> completion) override {
    ClientAPI::addShopperToSession(std::move(authenticatedShopper), std::move(completion));
  }
  void getSession(std::string sessionId, Completion<Session> completion) override {
    ClientAPI::lookUpSession(std::move(sessionId), std::move(completion));
  }
  void createBasket(std::shared_ptr<CreateBasketParam> basketParams,
                    Completion<Basket> completion) override {
    ClientAPI::createBasket(std::move(basketParams), std::move(completion));
  }
  void getShopper(std::string shopperId, Completion<Shopper> completion) override {
    ClientAPI::lookUpShopper(std::move(shopperId), std::move(completion));
  }
  void getPaymentInstruments(std::string shopperId,
                             Completion<ModelList<PaymentInstrumentOffer>> completion) override {
    ClientAPI::lookUpPaymentInstruments(std::move(shopperId), std::move(completion));
  }
  void setDefaultPaymentInstrument(
      std::shared_ptr<SetDefaultPaymentInstrumentParam> defaultPaymentParams,
      Completion<SetDefaultPaymentInstrumentValue> completion) override {
    ClientAPI::setDefaultPaymentInstrument(std::move(defaultPaymentParams), std::move(completion));
  }
  void associateBasketToPos(std::shared_ptr<BasketPoS> basketPosParams,
                            Completion<MerchantPoS> completion) override {
    ClientAPI::associateBasket(std::move(basketPosParams), std::move(completion));
  }
  void getBasket(std::string basketId, Completion<Basket> completion) override {
    ClientAPI::lookUpBasket(std::move(basketId), std::move(completion));
  }
  void updateBasket(std::shared_ptr<BasketUpdateParam> basketUpdateParam,
                    Completion<Basket> completion) override {
    ClientAPI::updateBasket(std::move(basketUpdateParam), std::move(completion));
  }
  void getReceipt(std::string basketId, Completion<BasketReceipt> completion) override {
    ClientAPI::lookUpReceipt(std::move(basketId), std::move(completion));
  }
  void getLoyalty(std::string shopperId, Completion<ShopperLoyalty> completion) override {
    ClientAPI::lookUpLoyaltyPoints(std::move(shopperId), std::move(completion));
  }
  void redeemLoyalty(std::int64_t loyaltyPoints, std::string basketId,
                     Completion<Basket> completion) override {
    ClientAPI::redeemLoyalty(loyaltyPoints, std::move(basketId), std::move(completion));
  }
  void getReceipts(std::string shopperId, Completion<Receipts> completion) override {
    ClientAPI::findReceipts(std::move(shopperId), std::move(completion));
  }
  void pay(std::shared_ptr<BasketPayment> basketPaymentParam,
           Completion<BasketPaymentConfirmation> completion) override {
    ClientAPI::makePayment(std::move(basketPaymentParam), std::move(completion));
  }
  void paymentPreview(std::shared_ptr<BasketPayment> basketPaymentParam,
                      Completion<BasketPreview> completion) override {
    ClientAPI::previewPayment(std::move(basketPaymentParam), std::move(completion));
  }
  void provisionPaymentInstrument(std::shared_ptr<ProvisionCardParam> provisionCardParam,
                                  Completion<WalletPaymentInstrumentInfo> completion) override {
    ClientAPI::provisionPaymentInstrument(std::move(provisionCardParam), std::move(completion));
  }
  void getShopperProfile(std::string shopperId, Completion<ShopperProfile> completion) override {
    ClientAPI::getShopperProfile(std::move(shopperId), std::move(completion));
  }
  void getProductOffer(std::string qr, Completion<ProductOffer> completion) override {
    ClientAPI::getProductOffer(std::move(qr), std::move(completion));
  }
  void getSkusForProduct(std::string merchantId, std::string productOfferId,
                         Completion<ModelList<Product>> completion) override {
    ClientAPI::getSkusForProduct(std::move(merchantId), std::move(productOfferId),
                                 std::move(completion));
  }
  void getSkuAvailability(std::string merchantId, std::string skuId,
                          Completion<SkuFulfillment> completion) override {
    ClientAPI::getSkuAvailability(std::move(merchantId), std::move(skuId), std::move(completion));
  }
  void postCompleteScan(std::shared_ptr<MobilePos> mobilePos,
                        Completion<BasketState> completion) override {
    ClientAPI::posCompleteScan(std::move(mobilePos), std::move(completion));
  }
  void posReadyForPayment(std::shared_ptr<MobilePos> mobilePos,
                          Completion<BasketState> completion) override {
    ClientAPI::posReadyForPayment(std::move(mobilePos), std::move(completion));
  }
  void getShopperDefaultPaymentInstrument(std::string shopperId,
                                          Completion<PaymentInstrumentOffer> completion) override {
    ClientAPI::getDefaultPaymentInstrument(std::move(shopperId), std::move(completion));
  }
  void getActiveBaskets(std::string sessionId, Completion<ModelList<Basket>> completion) override {
    ClientAPI::getActiveBaskets(std::move(sessionId), std::move(completion));
  }
  void getMostRecentBasket(std::string sessionId, Completion<Basket> completion) override {
    ClientAPI::getMostRecentBasket(std::move(sessionId), std::move(completion));
  }
  void updateShopperProfile(std::shared_ptr<UpdateShopperProfile> shopperProfile,
                            Completion<UpdateShopperProfile> completion) override {
    ClientAPI::updateShopperProfile(std::move(shopperProfile), std::move(completion));
  }
};

}  // namespace

std::unique_ptr<ServiceProvider> makeCoreServiceProvider() {
  return std::make_unique<CoreServiceProvider>();
}

}  // namespace zelvora::internal
