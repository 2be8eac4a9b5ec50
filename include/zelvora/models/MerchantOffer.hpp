#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// An offer of the merchant attached to a basket's receipt.
class ZELVORA_EXPORT MerchantOffer {
 public:
  std::optional<std::string> id;
  std::optional<std::string> merchantId;
  std::optional<std::string> title;
  std::optional<std::string> description;
  std::optional<std::string> offer;
  std::optional<bool> isActive;
  std::optional<Date> created;
};

}  // namespace zelvora
