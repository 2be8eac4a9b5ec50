#include "Models/ModelFields.hpp"

#include <zelvora/models/ShopperProfile.hpp>

namespace zelvora {

template <>
struct ModelFields<ShopperProfile> {
  static constexpr std::string_view name = "ShopperProfile";
  static constexpr auto fields = std::tuple{
      field("payment-instrument-id", &ShopperProfile::paymentInstrumentId),
      field("email", &ShopperProfile::email),
      field("last-name", &ShopperProfile::lastName),
      field("phone", &ShopperProfile::phone),
      field("updated", &ShopperProfile::updated),
      field("first-name", &ShopperProfile::firstName),
      field("shipping-address", &ShopperProfile::shippingAddress),
      field("id", &ShopperProfile::id),
      field("billing-address", &ShopperProfile::billingAddress),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(ShopperProfile);
