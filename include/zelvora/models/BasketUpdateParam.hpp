#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The changes the app makes to the current basket.
class ZELVORA_EXPORT BasketUpdateParam {
 public:
  using Tags = BasketTag;

  std::optional<std::string> basketId;
  std::optional<ModelList<BasketLineItem>> items;
  std::optional<ModelList<SkuOffer>> skuOffers;
  std::optional<ModelList<ProductOffer>> productOffers;
  std::optional<std::vector<Tags>> tags;
  std::shared_ptr<Fulfillment> fulfillment;
};

}  // namespace zelvora
