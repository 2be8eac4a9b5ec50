#include "Models/ModelFields.hpp"

#include <zelvora/models/BadRequestBody.hpp>

namespace zelvora {

template <>
struct ModelFields<BadRequestBody> {
  static constexpr std::string_view name = "BadRequestBody";
  static constexpr auto fields = std::tuple{
      field("status", &BadRequestBody::status),
      field("error", &BadRequestBody::error),
      field("errors", &BadRequestBody::errors),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BadRequestBody);
