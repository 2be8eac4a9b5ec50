#include "Models/DiscountOfferFields.hpp"

#include <zelvora/models/PaymentTypeOffer.hpp>

namespace zelvora {

template <>
struct ModelFields<PaymentTypeOffer> {
  static constexpr std::string_view name = "PaymentTypeOffer";
  static constexpr auto fields =
      std::tuple_cat(discountOfferLeadingFields<PaymentTypeOffer>(),
                     std::tuple{
                         field("is-active", &PaymentTypeOffer::isActive),
                         field("id", &PaymentTypeOffer::id),
                         field("payment-type", &PaymentTypeOffer::paymentType),
                         field("discount-pct", &PaymentTypeOffer::discountPct),
                     });
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(PaymentTypeOffer);
