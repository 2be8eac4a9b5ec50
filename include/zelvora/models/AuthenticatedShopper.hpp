#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The body that authenticates the merchant's shopper into the current session.
class ZELVORA_EXPORT AuthenticatedShopper {
 public:
  std::optional<std::string> sessionId;
  std::optional<std::string> merchantShopperId;
  std::optional<std::string> merchantAuthToken;
};

}  // namespace zelvora
