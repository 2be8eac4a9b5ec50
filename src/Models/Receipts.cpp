#include "Models/ModelFields.hpp"

#include <zelvora/models/Receipts.hpp>

namespace zelvora {

template <>
struct ModelFields<Receipts> {
  static constexpr std::string_view name = "Receipts";
  static constexpr auto fields = std::tuple{field("receipts", &Receipts::receipts)};
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(Receipts);
