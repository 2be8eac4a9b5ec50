#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The shopper's basket: what is in it, what it costs and where it stands in the checkout.
class ZELVORA_EXPORT Basket {
 public:
  using State = BasketFlowState;
  using Tags = BasketTag;

  std::optional<ModelList<SkuOffer>> offers;
  std::optional<ModelList<ProductOffer>> productOffers;
  std::optional<std::vector<Tags>> tags;
  std::optional<ModelList<TotalPayment>> totalPayments;
  std::optional<State> state;
  std::optional<std::int64_t> loyaltyPoints;
  std::shared_ptr<TotalSummary> summary;
  std::shared_ptr<Fulfillment> fulfillment;
  std::optional<std::string> id;
  std::optional<ModelList<BasketLineItem>> items;
  std::optional<ModelList<ReconciledTotal>> reconciledTotal;
};

}  // namespace zelvora
