#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// A store that carries a SKU.
class ZELVORA_EXPORT StoreBase {
 public:
  std::optional<std::string> name;
  std::optional<std::string> address;
  std::optional<std::string> zip;
};

}  // namespace zelvora
