#include "Models/DiscountOfferFields.hpp"

#include <zelvora/models/SkuOffer.hpp>

namespace zelvora {

template <>
struct ModelFields<SkuOffer> {
  static constexpr std::string_view name = "SkuOffer";
  static constexpr auto fields = std::tuple_cat(discountOfferLeadingFields<SkuOffer>(),
                                                std::tuple{
                                                    field("sku", &SkuOffer::sku),
                                                    field("is-active", &SkuOffer::isActive),
                                                    field("id", &SkuOffer::id),
                                                    field("discount-pct", &SkuOffer::discountPct),
                                                });
};

}  // namespace zelvora

ZELVORA_MODEL_CODEC(SkuOffer);
