#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The basket as it would stand if paid with one instrument, with the offers that instrument
// brings.
class ZELVORA_EXPORT BasketPreview {
 public:
  using Tags = BasketTag;
  using State = BasketFlowState;

  std::optional<ModelList<SkuOffer>> offers;
  std::optional<std::string> paymentInstrumentId;
  std::optional<ModelList<ProductOffer>> productOffers;
  std::optional<std::vector<Tags>> tags;
  std::optional<ModelList<TotalPayment>> totalPayments;
  std::optional<State> state;
  std::optional<std::int64_t> loyaltyPoints;
  std::shared_ptr<TotalSummary> summary;
  std::shared_ptr<Fulfillment> fulfillment;
  std::optional<std::string> id;
  std::optional<ModelList<PaymentTypeOffer>> paymentTypeOffers;
  std::optional<ModelList<BasketLineItem>> items;
  std::optional<ModelList<ReconciledTotal>> reconciledTotal;
};

}  // namespace zelvora
