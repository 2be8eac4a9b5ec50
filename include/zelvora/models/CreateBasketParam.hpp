#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The body that opens a basket in the current session.
class ZELVORA_EXPORT CreateBasketParam {
 public:
  std::optional<std::string> sessionId;
};

}  // namespace zelvora
