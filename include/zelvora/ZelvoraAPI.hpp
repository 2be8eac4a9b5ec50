#pragma once

#include <zelvora/Completion.hpp>
#include <zelvora/Error.hpp>
#include <zelvora/Export.hpp>
#include <zelvora/models/ModelTypes.hpp>

#include <any>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

// GTK's widget, declared as GTK does, so that apps without GTK code need no GTK headers.
typedef struct _GtkWidget GtkWidget;

namespace zelvora {

// The SDK's facade. It holds no state of its own: every ZelvoraAPI works on the same process-wide
// Store, server address and signing script, so any number of them may exist, interchangeably.
class ZELVORA_EXPORT ZelvoraAPI {
 public:
  // Settings of initialize. Three keys are read, each only when its value is text (std::string,
  // std::string_view or a C string; a non-text value counts as missing):
  //   "host"            the platform's address, e.g. "https://platform.example.com" or
  //                     "http://platform.test:8080" (http or https, a domain name, an optional
  //                     port)
  //   "correlation-id"  sent with every request (default "")
  //   "merchantName"    shown on the product page (default "")
  using Configuration = std::map<std::string, std::any>;

  // Loads the request-signing script into the process-wide script context. Never fails visibly:
  // without the script, requests go out with an empty signature. It also starts WebKit, which
  // must come before the script engine; an app that shows the product page makes the first one on
  // its main thread, before or after gtk_init.
  ZelvoraAPI();

  // Starts a merchant context; runs on the calling thread and calls the completion once before it
  // returns: (true, no error) on success; (false, the ZelvoraError) for an empty merchant id, API
  // key or API secret (checked in that order; nothing is stored) or for a "host" that is not a
  // valid address (the credentials are stored, the session, basket and product-page data are
  // cleared, the server address and the correlation id keep their earlier values).
  void initialize(const std::string& merchantId, const std::string& merchantApiKey,
                  const std::string& merchantApiSecret, const Configuration& configuration,
                  const InitializeCompletion& completion);
  // The same without settings.
  void initialize(const std::string& merchantId, const std::string& merchantApiKey,
                  const std::string& merchantApiSecret, const InitializeCompletion& completion);

  // The asynchronous calls. Each may be made from any thread and calls its completion exactly
  // once, with a result or an error (a success may carry no result, when the platform sent none):
  //  - on the calling thread, before the call returns, when the Store lacks what the call needs:
  //    a ZelvoraError requiredDataNotAvailable, and nothing is sent;
  //  - otherwise later, on the main queue, with the platform's reply or the transport's error.
  // Unless said otherwise a call needs a session in which a shopper is authenticated
  // (authenticatedSessionNotAvailable). Where a call keeps its result in the Store, the Store holds
  // it (or no longer holds the old value, for a success without a result) by the time the
  // completion runs; a failure leaves the Store as it was.

  // Session and shopper.

  // Opens a session for this device, and stores it. Needs initialize to have stored the merchant
  // id (merchantIdNotAvailable).
  void createSession(Completion<Session> completion);
  // The stored session as the platform now sees it; the stored session is not replaced.
  void getCurrentSession(Completion<Session> completion);
  // Authenticates the merchant's shopper into the stored session and stores the session that
  // results. When no session is stored, or the stored one has no id or state or has been reset, a
  // session is created first (its failure is what the completion gets). Once the completion has
  // run, ZelvoraEventListener::shared() is connected.
  void authenticateShopper(std::string shopperId, std::string authToken,
                           Completion<Session> completion);
  void getShopper(Completion<Shopper> completion);
  // Also kept for the product page.
  void getShopperProfile(Completion<ShopperProfile> completion);
  // Sends the given fields for the session's shopper, whatever shopperId the object holds; the
  // object itself is not changed.
  void updateShopperProfile(std::shared_ptr<UpdateShopperProfile> shopperProfile,
                            Completion<UpdateShopperProfile> completion);

  // Wallet, loyalty and receipts.

  // Also kept for the product page.
  void getPaymentInstruments(Completion<ModelList<PaymentInstrumentOffer>> completion);
  void setDefault(std::string paymentInstrumentId,
                  Completion<SetDefaultPaymentInstrumentValue> completion);
  void getDefaultPaymentInstrument(Completion<PaymentInstrumentOffer> completion);
  // The accrued points are also kept for the product page.
  void getLoyalty(Completion<ShopperLoyalty> completion);
  void getReceipts(Completion<ModelList<Receipt>> completion);
  // Sends the card parameters as they are.
  void provision(std::shared_ptr<ProvisionCardParam> paymentInstrument,
                 Completion<WalletPaymentInstrumentInfo> completion);

  // Basket. The calls that act on "the basket" need a stored basket (basketIdNotAvailable).

  // Opens a basket in the stored session, and stores it.
  void createBasket(Completion<Basket> completion);
  // Fetches the stored basket, and stores the reply.
  void getBasket(Completion<Basket> completion);
  // Fetches the basket with this id (even an empty one), or the stored one when it is absent, and
  // stores the reply.
  void getBasket(std::optional<std::string> basketId, Completion<Basket> completion);
  // Applies the given changes to the stored basket, whatever basketId the object holds (the object
  // itself is not changed), and stores the reply.
  void updateBasket(std::shared_ptr<BasketUpdateParam> basket, Completion<Basket> completion);
  // The session's latest basket; the stored basket stays as it is.
  void getMostRecentBasket(Completion<Basket> completion);
  void getActiveBaskets(Completion<ModelList<Basket>> completion);
  // Checks the basket in at the point of sale read from its QR code; an absent POS id is refused
  // (posIdNotAvailable), an empty one is sent.
  void checkin(std::optional<std::string> posId, Completion<MerchantPoS> completion);
  // Spends loyalty points on the basket; the basket replied reaches the app only.
  void redeemLoyalty(std::int64_t points, Completion<Basket> completion);

  // Payment.

  void preview(std::string paymentInstrumentId, Completion<BasketPreview> completion);
  void startPayment(std::string paymentInstrumentId,
                    Completion<BasketPaymentConfirmation> completion);
  // The basket's receipt. Needs no session, only the stored basket.
  void getPaymentReceipt(Completion<BasketReceipt> completion);
  // Tell the point of sale that the basket is scanned, and that it is ready for payment.
  void posCompleteScan(Completion<BasketState> completion);
  void posReadyForPayment(Completion<BasketState> completion);

  // Products.

  void getProductOffer(std::string qr, Completion<ProductOffer> completion);
  void getSkusForProduct(std::string productOfferId, Completion<ModelList<Product>> completion);
  void getSkuAvailability(std::string skuId, Completion<SkuFulfillment> completion);

  // Product page.

  // Shows the product page of a scanned code: a new WebKit web view, added to inView (a GtkFixed
  // gets it at 0,0, a GtkOverlay as an overlay, any other GtkContainer last), as wide as the screen
  // and 60 pixels less high. It shows the SDK's page, or the page at config["pdpHtmlUrl"] when that
  // is a readable file: or https: address (read here, within 2 s and 2 MiB). The page is filled
  // with the offer's SKUs, the shopper's name and address, a payment summary with the first card,
  // the stores holding the first SKU and the merchant's name, after the stored loyalty points were
  // redeemed on the basket and the first SKU was added to it; through it the shopper picks a SKU,
  // applies or removes the points, pays and sees the receipt (config["receiptHtmlUrl"] and
  // config["receiptCssUrl"] name a page and a style sheet of the app's for it; config["pdpCssUrl"]
  // one for the product page).
  //
  // The web view runs only the pages the SDK loads into it: links, forms, redirects and scripts
  // lead nowhere else, it opens no windows, and its frames hold only the page's own blank or
  // inline documents. A page read from https resolves its references against its own address and
  // reads no local files; only the SDK's own pages may. A page's text is UTF-8, or UTF-16 or
  // UTF-8 after a byte order mark; other text counts as unreadable. Message bodies whose JSON is
  // longer than 64 KiB are ignored.
  //
  // Call on the main thread. The completion runs once:
  //  - before the call returns, with a ZelvoraError requiredDataNotAvailable when the Store lacks
  //    an authenticated session, the basket, the payment instruments, the loyalty points or the
  //    shopper profile (checked in that order; the app fetches them first), or dataValidationFailed
  //    invalidQRCode for a code that is not UTF-8 text; nothing is shown then;
  //  - otherwise later, on the main queue, with no error: once the page has its first data, or
  //    when a call on the way failed; the page then shows why, 1.3 s later.
  // When the SDK's own page resource is missing nothing is shown and the completion never runs.
  void displayProductPage(GtkWidget* inView, const std::string& usingCode,
                          const std::map<std::string, std::string>& config,
                          std::function<void(std::optional<Error>)> completion);
};

}  // namespace zelvora
