#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// The receipt handed to the app when a transaction completes: everything a `Receipt` carries,
// plus the totals of each SKU.
class ZELVORA_EXPORT BasketReceiptNotification {
 public:
  std::optional<ModelList<SkuOffer>> offers;
  std::optional<ModelList<ReceiptProductOffer>> productOffers;
  std::optional<ModelList<Payment>> payments;
  std::optional<std::string> merchantId;
  std::optional<ModelList<TotalPayment>> totalPayments;
  std::shared_ptr<TransactionInfo> transactionInfo;
  std::optional<Date> created;
  std::shared_ptr<TotalSummary> summary;
  std::optional<std::string> id;
  std::optional<ModelList<PaymentTypeOffer>> paymentTypeOffers;
  std::optional<ModelList<BasketLineItem>> items;
  std::optional<ModelList<ReconciledTotal>> reconciledTotal;
};

}  // namespace zelvora
