#include "Models/SessionFields.hpp"

#include <zelvora/models/LocationInfo.hpp>
#include <zelvora/models/Session.hpp>

namespace zelvora {

template <>
struct ModelFields<Session> {
  static constexpr std::string_view name = "Session";
  static constexpr auto fields = sessionFields<Session>();
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(Session);
