#include "Models/ReceiptFields.hpp"

#include <zelvora/models/Receipt.hpp>

namespace zelvora {

template <>
struct ModelFields<Receipt> {
  static constexpr std::string_view name = "Receipt";
  static constexpr auto fields = receiptFields<Receipt>();
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(Receipt);
