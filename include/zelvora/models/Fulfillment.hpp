#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// How a basket is fulfilled: paid in the store or not, and until when its goods are reserved.
class ZELVORA_EXPORT Fulfillment {
 public:
  std::optional<bool> payInStore;
  std::optional<Date> reserveDate;
};

}  // namespace zelvora
