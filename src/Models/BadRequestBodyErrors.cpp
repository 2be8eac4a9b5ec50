#include "Models/ModelFields.hpp"

#include <zelvora/models/BadRequestBodyErrors.hpp>

namespace zelvora {

template <>
struct ModelFields<BadRequestBodyErrors> {
  static constexpr std::string_view name = "BadRequestBodyErrors";
  static constexpr auto fields = std::tuple{
      field("param", &BadRequestBodyErrors::param),
      field("error", &BadRequestBodyErrors::error),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BadRequestBodyErrors);
