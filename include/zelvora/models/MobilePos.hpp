#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The body that moves the current basket on at the point of sale: scan complete, ready for payment.
class ZELVORA_EXPORT MobilePos {
 public:
  std::optional<std::string> basketId;
};

}  // namespace zelvora
