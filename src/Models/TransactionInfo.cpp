#include "Models/ModelFields.hpp"

#include <zelvora/models/TransactionInfo.hpp>

namespace zelvora {

template <>
struct ModelFields<TransactionInfo> {
  static constexpr std::string_view name = "TransactionInfo";
  static constexpr auto fields = std::tuple{
      field("merchant-transaction-id", &TransactionInfo::merchantTransactionId),
      field("status", &TransactionInfo::status),
      field("reason", &TransactionInfo::reason),
      field("fulfillment", &TransactionInfo::fulfillment),
      field("store-id", &TransactionInfo::storeId),
      field("shipping-zip", &TransactionInfo::shippingZip),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(TransactionInfo);
