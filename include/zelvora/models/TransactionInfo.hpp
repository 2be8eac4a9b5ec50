#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// How a transaction ended and how its goods reach the shopper.
class ZELVORA_EXPORT TransactionInfo {
 public:
  enum class Status { abandoned, completed, canceled };
  // Unrelated to the `zelvora::Fulfillment` model: only the way the goods leave the store.
  enum class Fulfillment { bopus, ship };

  std::optional<std::string> merchantTransactionId;
  std::optional<Status> status;
  std::optional<std::string> reason;
  std::optional<Fulfillment> fulfillment;
  std::optional<std::string> storeId;
  std::optional<std::string> shippingZip;
};

template <>
struct EnumRawValues<TransactionInfo::Status> {
  static constexpr RawValueTable<TransactionInfo::Status, 3> values{{
      {TransactionInfo::Status::abandoned, "abandoned"},
      {TransactionInfo::Status::completed, "completed"},
      {TransactionInfo::Status::canceled, "canceled"},
  }};
};

template <>
struct EnumRawValues<TransactionInfo::Fulfillment> {
  static constexpr RawValueTable<TransactionInfo::Fulfillment, 2> values{{
      {TransactionInfo::Fulfillment::bopus, "bopus"},
      {TransactionInfo::Fulfillment::ship, "ship"},
  }};
};

}  // namespace zelvora
