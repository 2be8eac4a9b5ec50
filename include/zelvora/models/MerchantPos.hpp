#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The point of sale a basket was tied to, as the merchant labels it.
class ZELVORA_EXPORT MerchantPoS {
 public:
  std::optional<std::string> posId;
  std::optional<std::string> merchantPosLabel;
  std::optional<std::string> message;
};

}  // namespace zelvora
