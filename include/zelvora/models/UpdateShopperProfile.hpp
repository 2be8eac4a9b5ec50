#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The changes the app asks for in the shopper's profile, and the platform's answer to them.
class ZELVORA_EXPORT UpdateShopperProfile {
 public:
  std::optional<std::string> firstName;
  std::optional<std::string> lastName;
  std::optional<std::string> email;
  std::optional<std::string> phone;
  std::optional<std::string> paymentInstrumentId;
  std::shared_ptr<IdentityAddress> shippingAddress;
  std::shared_ptr<IdentityAddress> billingAddress;
  std::optional<std::string> shopperId;
};

}  // namespace zelvora
