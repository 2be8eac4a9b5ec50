#include "APIs/ModelDataProvider.hpp"

#include "Platform/Device.hpp"

#include <zelvora/models/Models.hpp>

namespace zelvora::internal {
namespace {

class CoreModelDataProvider final : public ModelDataProvider {
 public:
  std::shared_ptr<Client> buildClient(const std::string& merchantId) const override {
    auto client = std::make_shared<Client>();
    client->deviceId = platform::device()->identifierForVendor().value_or("");
    client->merchantId = merchantId;
    return client;
  }

  std::shared_ptr<AuthenticatedShopper> buildAuthenticatedShopper(
      const std::string& sessionId, const std::string& shopperId,
      const std::string& authToken) const override {
    auto shopper = std::make_shared<AuthenticatedShopper>();
    shopper->sessionId = sessionId;
    shopper->merchantShopperId = shopperId;
    shopper->merchantAuthToken = authToken;
    return shopper;
  }

  std::shared_ptr<CreateBasketParam> buildCreateBasket(
      const std::string& sessionId) const override {
    auto param = std::make_shared<CreateBasketParam>();
    param->sessionId = sessionId;
    return param;
  }

  std::shared_ptr<SetDefaultPaymentInstrumentParam> buildDefaultPaymentInstrument(
      const std::string& shopperId, const std::string& paymentInstrumentId) const override {
    auto param = std::make_shared<SetDefaultPaymentInstrumentParam>();
    param->shopperId = shopperId;
    param->paymentInstrumentId = paymentInstrumentId;
    return param;
  }

  std::shared_ptr<BasketPoS> buildBasketPos(const std::string& basketId,
                                            const std::string& posId) const override {
    auto param = std::make_shared<BasketPoS>();
    param->basketId = basketId;
    param->posId = posId;
    return param;
  }

  std::shared_ptr<BasketPayment> buildBasketPayment(
      const std::string& basketId, const std::string& paymentInstrumentId) const override {
    auto param = std::make_shared<BasketPayment>();
    param->basketId = basketId;
    param->paymentInstrumentId = paymentInstrumentId;
    return param;
  }

  std::shared_ptr<BasketUpdateParam> buildUpdateBasket(
      const std::shared_ptr<BasketUpdateParam>& basket,
      const std::string& basketId) const override {
    auto param = basket ? std::make_shared<BasketUpdateParam>(*basket)
                        : std::make_shared<BasketUpdateParam>();
    param->basketId = basketId;
    return param;
  }

  std::shared_ptr<MobilePos> buildMobilePos(const std::string& basketId) const override {
    auto param = std::make_shared<MobilePos>();
    param->basketId = basketId;
    return param;
  }

  std::shared_ptr<UpdateShopperProfile> buildUpdateShopperProfile(
      const std::shared_ptr<UpdateShopperProfile>& shopperProfile,
      const std::string& shopperId) const override {
    auto profile = shopperProfile ? std::make_shared<UpdateShopperProfile>(*shopperProfile)
                                  : std::make_shared<UpdateShopperProfile>();
    profile->shopperId = shopperId;
    return profile;
  }
};

}  // namespace

std::unique_ptr<ModelDataProvider> makeCoreModelDataProvider() {
  return std::make_unique<CoreModelDataProvider>();
}

}  // namespace zelvora::internal
