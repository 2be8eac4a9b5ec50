#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// A postal address of the shopper, for shipping or billing.
class ZELVORA_EXPORT IdentityAddress {
 public:
  std::optional<std::string> addr1;
  std::optional<std::string> addr2;
  std::optional<std::string> state;
  std::optional<std::string> city;
  std::optional<std::string> zipcode;
};

}  // namespace zelvora
