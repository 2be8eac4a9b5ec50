#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The shopper's loyalty points: those already redeemed and those still to spend.
class ZELVORA_EXPORT ShopperLoyalty {
 public:
  std::optional<std::string> shopperId;
  std::optional<std::int64_t> redeemedPoints;
  std::optional<std::int64_t> accruedPoints;
};

}  // namespace zelvora
