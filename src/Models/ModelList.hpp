#pragma once

// Every model, in the order the decoder registry is filled: alphabetical, but for
// WalletPaymentInstrumentInfo, which follows Payment.
#define ZELVORA_FOR_EACH_MODEL(X)     \
  X(AuthenticatedSession)             \
  X(AuthenticatedShopper)             \
  X(BadRequestBody)                   \
  X(BadRequestBodyErrors)             \
  X(Basket)                           \
  X(BasketLineItem)                   \
  X(BasketLoyaltyPoints)              \
  X(BasketPayment)                    \
  X(BasketPaymentConfirmation)        \
  X(BasketPoS)                        \
  X(BasketPreview)                    \
  X(BasketReceipt)                    \
  X(BasketReceiptNotification)        \
  X(BasketState)                      \
  X(BasketUpdateParam)                \
  X(Client)                           \
  X(CreateBasketParam)                \
  X(Fulfillment)                      \
  X(IdentityAddress)                  \
  X(LocationInfo)                     \
  X(MerchantOffer)                    \
  X(MerchantPoS)                      \
  X(MobilePos)                        \
  X(Payment)                          \
  X(WalletPaymentInstrumentInfo)      \
  X(PaymentInstrumentOffer)           \
  X(PaymentTypeOffer)                 \
  X(Product)                          \
  X(ProductFeaturesMap)               \
  X(ProductOffer)                     \
  X(ProvisionCardParam)               \
  X(Receipt)                          \
  X(ReceiptProductOffer)              \
  X(Receipts)                         \
  X(ReconciledTotal)                  \
  X(Session)                          \
  X(SetDefaultPaymentInstrumentParam) \
  X(SetDefaultPaymentInstrumentValue) \
  X(Shopper)                          \
  X(ShopperLoyalty)                   \
  X(ShopperProfile)                   \
  X(SkuFulfillment)                   \
  X(SkuOffer)                         \
  X(StoreBase)                        \
  X(TotalPayment)                     \
  X(TotalSummary)                     \
  X(TransactionInfo)                  \
  X(UpdateShopperProfile)
