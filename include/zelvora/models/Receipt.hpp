#pragma once

#include <zelvora/models/ModelTypes.hpp>

namespace zelvora {

// One finished purchase as the platform recorded it.
class ZELVORA_EXPORT Receipt {
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
};

}  // namespace zelvora
