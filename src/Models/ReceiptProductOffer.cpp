#include "Models/ModelFields.hpp"

#include <zelvora/models/ReceiptProductOffer.hpp>

namespace zelvora {

template <>
struct ModelFields<ReceiptProductOffer> {
  static constexpr std::string_view name = "ReceiptProductOffer";
  static constexpr auto fields = std::tuple{
      field("id", &ReceiptProductOffer::id),
      field("description", &ReceiptProductOffer::description),
      field("product-id", &ReceiptProductOffer::productId),
      field("channel", &ReceiptProductOffer::channel),
      field("type", &ReceiptProductOffer::type),
      field("value", &ReceiptProductOffer::value),
      field("is-valid", &ReceiptProductOffer::isValid),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(ReceiptProductOffer);
