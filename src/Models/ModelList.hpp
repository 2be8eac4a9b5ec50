#pragma once

// Every model, in the order the decoder registry is filled: alphabetical, but for
// WalletPaymentInstrumentInfo, which follows Payment.
#define ZELVORA_FOR_EACH_MODEL(X) \
  X(AuthenticatedSession)         \
  X(AuthenticatedShopper)         \
  X(BasketPayment)                \
  X(BasketPaymentConfirmation)    \
  X(Client)                       \
  X(LocationInfo)                 \
  X(Payment)                      \
  X(PaymentTypeOffer)             \
  X(ReconciledTotal)              \
  X(Session)                      \
  X(TotalPayment)                 \
  X(TotalSummary)
