#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// Where a basket stands after the point of sale moved it on.
class ZELVORA_EXPORT BasketState {
 public:
  using Status = BasketFlowState;

  std::optional<Status> status;
};

}  // namespace zelvora
