#include "Models/ReceiptFields.hpp"

#include <zelvora/models/BasketReceiptNotification.hpp>

namespace zelvora {

template <>
struct ModelFields<BasketReceiptNotification> {
  static constexpr std::string_view name = "BasketReceiptNotification";
  static constexpr auto fields = std::tuple_cat(
      receiptFields<BasketReceiptNotification>(),
      std::tuple{field("reconciled-total", &BasketReceiptNotification::reconciledTotal)});
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(BasketReceiptNotification);
