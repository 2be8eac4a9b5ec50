#include "Models/ModelFields.hpp"

#include <zelvora/models/UpdateShopperProfile.hpp>

namespace zelvora {

template <>
struct ModelFields<UpdateShopperProfile> {
  static constexpr std::string_view name = "UpdateShopperProfile";
  static constexpr auto fields = std::tuple{
      field("first-name", &UpdateShopperProfile::firstName),
      field("last-name", &UpdateShopperProfile::lastName),
      field("email", &UpdateShopperProfile::email),
      field("phone", &UpdateShopperProfile::phone),
      field("payment-instrument-id", &UpdateShopperProfile::paymentInstrumentId),
      field("shipping-address", &UpdateShopperProfile::shippingAddress),
      field("billing-address", &UpdateShopperProfile::billingAddress),
      field("shopper-id", &UpdateShopperProfile::shopperId),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(UpdateShopperProfile);
