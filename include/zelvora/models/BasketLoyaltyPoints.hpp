#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The body that spends a number of the shopper's loyalty points on a basket; zero takes them off
// again.
class ZELVORA_EXPORT BasketLoyaltyPoints {
 public:
  std::optional<std::string> basketId;
  std::optional<std::int64_t> points;
};

}  // namespace zelvora
