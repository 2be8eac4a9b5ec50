#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The body that ties the current basket to a point of sale.
class ZELVORA_EXPORT BasketPoS {
 public:
  std::optional<std::string> basketId;
  std::optional<std::string> posId;
};

}  // namespace zelvora
