#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The shopper's receipt history, as one reply.
class ZELVORA_EXPORT Receipts {
 public:
  std::optional<ModelList<Receipt>> receipts;
};

}  // namespace zelvora
