#include "Models/ModelFields.hpp"

#include <zelvora/models/MerchantOffer.hpp>

namespace zelvora {

template <>
struct ModelFields<MerchantOffer> {
  static constexpr std::string_view name = "MerchantOffer";
  static constexpr auto fields = std::tuple{
      field("id", &MerchantOffer::id),           field("merchant-id", &MerchantOffer::merchantId),
      field("title", &MerchantOffer::title),     field("description", &MerchantOffer::description),
      field("offer", &MerchantOffer::offer),     field("is-active", &MerchantOffer::isActive),
      field("created", &MerchantOffer::created),
  };
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(MerchantOffer);
