#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The platform's answer to a payment.
class ZELVORA_EXPORT BasketPaymentConfirmation {
 public:
  enum class Status { Error, Ok };

  std::optional<std::string> basketId;
  std::optional<Status> status;
};

template <>
struct EnumRawValues<BasketPaymentConfirmation::Status> {
  static constexpr RawValueTable<BasketPaymentConfirmation::Status, 2> values{{
      {BasketPaymentConfirmation::Status::Error, "error"},
      {BasketPaymentConfirmation::Status::Ok, "ok"},
  }};
};

}  // namespace zelvora
