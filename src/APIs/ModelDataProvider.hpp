#pragma once

#include <zelvora/models/ModelTypes.hpp>

#include <memory>
#include <string>

namespace zelvora::internal {

// Builds the request bodies. Every result is a new object; the stored identifiers it carries are
// given by the caller, which has read and checked them in the same read of the Store, so a body
// never carries a value other than the one checked.
class ModelDataProvider {
 public:
  virtual ~ModelDataProvider() = default;

  // With the device's identifier for vendor, or "" when the device has none.
  virtual std::shared_ptr<Client> buildClient(const std::string& merchantId) const = 0;
  virtual std::shared_ptr<AuthenticatedShopper> buildAuthenticatedShopper(
      const std::string& sessionId, const std::string& shopperId,
      const std::string& authToken) const = 0;
  virtual std::shared_ptr<CreateBasketParam> buildCreateBasket(
      const std::string& sessionId) const = 0;
  virtual std::shared_ptr<SetDefaultPaymentInstrumentParam> buildDefaultPaymentInstrument(
      const std::string& shopperId, const std::string& paymentInstrumentId) const = 0;
  virtual std::shared_ptr<BasketPoS> buildBasketPos(const std::string& basketId,
                                                    const std::string& posId) const = 0;
  virtual std::shared_ptr<BasketPayment> buildBasketPayment(
      const std::string& basketId, const std::string& paymentInstrumentId) const = 0;
  // The app's changes (the same list elements and fulfillment objects) for the stored basket,
  // whatever basket id the app's object names; the app's object is left as it is, and an absent
  // one changes nothing.
  virtual std::shared_ptr<BasketUpdateParam> buildUpdateBasket(
      const std::shared_ptr<BasketUpdateParam>& basket, const std::string& basketId) const = 0;
  virtual std::shared_ptr<MobilePos> buildMobilePos(const std::string& basketId) const = 0;
  // The app's profile changes (the same address objects) for the stored session's shopper,
  // whatever shopper id the app's object names; the app's object is left as it is.
  virtual std::shared_ptr<UpdateShopperProfile> buildUpdateShopperProfile(
      const std::shared_ptr<UpdateShopperProfile>& shopperProfile,
      const std::string& shopperId) const = 0;
};

std::unique_ptr<ModelDataProvider> makeCoreModelDataProvider();

}  // namespace zelvora::internal
