#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// One rejected parameter of a request and why it was rejected.
class ZELVORA_EXPORT BadRequestBodyErrors {
 public:
  std::optional<std::string> param;
  std::optional<std::string> error;
};

}  // namespace zelvora
