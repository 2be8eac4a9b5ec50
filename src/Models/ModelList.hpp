#pragma once

// Every model, in the order the decoder registry is filled: alphabetical, but for
// WalletPaymentInstrumentInfo, which follows Payment.
#define ZELVORA_FOR_EACH_MODEL(X) \
  X(AuthenticatedSession)         \
  X(AuthenticatedShopper)         \
  X(BasketPayment)                \
  X(BasketPaymentConfirmation)    \
  X(BasketPreview)                \
  X(BasketReceipt)                \
  X(BasketReceiptNotification)    \
  X(Client)                       \
  X(Fulfillment)                  \
  X(LocationInfo)                 \
  X(MerchantOffer)                \
  X(Payment)                      \
  X(PaymentTypeOffer)             \
  X(Product)                      \
  X(ProductFeaturesMap)           \
  X(ProductOffer)                 \
  X(Receipt)                      \
  X(ReceiptProductOffer)          \
  X(Receipts)                     \
  X(ReconciledTotal)              \
  X(Session)                      \
  X(SkuFulfillment)               \
  X(SkuOffer)                     \
  X(StoreBase)                    \
  X(TotalPayment)                 \
  X(TotalSummary)                 \
  X(TransactionInfo)
