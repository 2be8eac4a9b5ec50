#pragma once

// Forward declarations of every model, for headers that only hold them by pointer.
namespace zelvora {

class AuthenticatedSession;
class AuthenticatedShopper;
class BadRequestBody;
class BadRequestBodyErrors;
class Basket;
class BasketLineItem;
class BasketLoyaltyPoints;
class BasketPayment;
class BasketPaymentConfirmation;
class BasketPoS;
class BasketPreview;
class BasketReceipt;
class BasketReceiptNotification;
class BasketState;
class BasketUpdateParam;
class Client;
class CreateBasketParam;
class Fulfillment;
class IdentityAddress;
class LocationInfo;
class MerchantOffer;
class MerchantPoS;
class MobilePos;
class Payment;
class WalletPaymentInstrumentInfo;
class PaymentInstrumentOffer;
class PaymentTypeOffer;
class Product;
class ProductFeaturesMap;
class ProductOffer;
class ProvisionCardParam;
class Receipt;
class ReceiptProductOffer;
class Receipts;
class ReconciledTotal;
class Session;
class SetDefaultPaymentInstrumentParam;
class SetDefaultPaymentInstrumentValue;
class Shopper;
class ShopperLoyalty;
class ShopperProfile;
class SkuFulfillment;
class SkuOffer;
class StoreBase;
class TotalPayment;
class TotalSummary;
class TransactionInfo;
class UpdateShopperProfile;

}  // namespace zelvora
