#include "Models/ModelFields.hpp"

#include <zelvora/models/CreateBasketParam.hpp>

namespace zelvora {

template <>
struct ModelFields<CreateBasketParam> {
  static constexpr std::string_view name = "CreateBasketParam";
  static constexpr auto fields = std::tuple{
      field("session-id", &CreateBasketParam::sessionId),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(CreateBasketParam);
