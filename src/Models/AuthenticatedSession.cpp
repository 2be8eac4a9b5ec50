#include "Models/SessionFields.hpp"

#include <zelvora/models/AuthenticatedSession.hpp>
#include <zelvora/models/LocationInfo.hpp>

namespace zelvora {

template <>
struct ModelFields<AuthenticatedSession> {
  static constexpr std::string_view name = "AuthenticatedSession";
  static constexpr auto fields = sessionFields<AuthenticatedSession>();
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(AuthenticatedSession);
