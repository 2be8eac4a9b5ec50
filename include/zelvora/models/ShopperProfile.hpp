#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The shopper's profile as the platform keeps it.
class ZELVORA_EXPORT ShopperProfile {
 public:
  std::optional<std::string> paymentInstrumentId;
  std::optional<std::string> email;
  std::optional<std::string> lastName;
  std::optional<std::string> phone;
  std::optional<Date> updated;
  std::optional<std::string> firstName;
  std::shared_ptr<IdentityAddress> shippingAddress;
  std::optional<std::string> id;
  std::shared_ptr<IdentityAddress> billingAddress;
};

}  // namespace zelvora
