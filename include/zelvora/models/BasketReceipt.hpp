#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// A paid basket together with the receipt of its payment.
class ZELVORA_EXPORT BasketReceipt {
 public:
  using Tags = BasketTag;
  using State = BasketFlowState;

  std::optional<ModelList<SkuOffer>> offers;
  std::optional<std::string> paymentInstrumentId;
  std::optional<ModelList<ProductOffer>> productOffers;
  std::shared_ptr<Receipt> receipt;
  std::optional<std::vector<Tags>> tags;
  std::optional<ModelList<TotalPayment>> totalPayments;
  std::optional<State> state;
  std::optional<std::int64_t> loyaltyPoints;
  std::shared_ptr<TotalSummary> summary;
  std::shared_ptr<Fulfillment> fulfillment;
  std::optional<std::string> id;
  std::optional<ModelList<MerchantOffer>> merchantOffers;
  std::optional<ModelList<PaymentTypeOffer>> paymentTypeOffers;
  std::optional<ModelList<BasketLineItem>> items;
  std::optional<ModelList<ReconciledTotal>> reconciledTotal;
};

}  // namespace zelvora
