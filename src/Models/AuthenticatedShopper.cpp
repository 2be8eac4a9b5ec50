#include "Models/ModelFields.hpp"

#include <zelvora/models/AuthenticatedShopper.hpp>

namespace zelvora {

template <>
struct ModelFields<AuthenticatedShopper> {
  static constexpr std::string_view name = "AuthenticatedShopper";
  static constexpr auto fields = std::tuple{
      field("session-id", &AuthenticatedShopper::sessionId),
      field("merchant-shopper-id", &AuthenticatedShopper::merchantShopperId),
      field("merchant-auth-token", &AuthenticatedShopper::merchantAuthToken),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(AuthenticatedShopper);
