#pragma once

#include "CoreOperations/BasketRequestLane.hpp"
#include "CoreOperations/ProductPage.hpp"
#include "CoreOperations/ProductPageProtocol.hpp"

#include <zelvora/Error.hpp>

#include <nlohmann/json.hpp>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace zelvora::platform {
class WebView;
}

namespace zelvora::internal {

// The product page's counterpart in the SDK: turns the messages of the current page into basket
// updates, store lookups, loyalty redemptions and the purchase, and writes their outcomes into the
// page they came from. One per process; everything here runs on the main thread.
class DravixActionHandler : public std::enable_shared_from_this<DravixActionHandler> {
 public:
  using PageObject = page::PageObject;
  using TurnHandle = BasketRequestLane::TurnHandle;
  using Page = std::shared_ptr<ProductPage>;

  // The web view of the latest opening; messages from any other web view are ignored.
  std::shared_ptr<platform::WebView> webview;
  // The body of the last "skuChanged" or "showReceipt" of the current opening, or its first item
  // before either: the receipt shows its name, and Buy pays when the basket holds its SKU. Reset by
  // each opening.
  nlohmann::json buyNowDict = nlohmann::json::object();
  // The text of the last failure of a message's calls.
  std::optional<std::string> errMsg;
  // The receipt last sent to a receipt page, as JSON text.
  std::optional<std::string> receiptJsonString;

  // Makes the page the current one: its messages are taken from now on, and those of the page
  // before are not.
  void showPage(Page page);
  // The page's first fill put this item into its basket: the loyalty messages keep it there until
  // the shopper picks another. Nothing when a later opening has replaced the page.
  void pageFilled(const Page& page, nlohmann::json item);
  // The page of the latest opening; null before the first.
  const Page& currentPage() const { return page_; }

  // A message the page posted. Names are matched exactly; a "skuChanged" or "showReceipt" whose
  // body is not an object is ignored, and so is every message from the accepted "showReceipt" to
  // the end of its purchase, and every "showReceipt" of a page that has started one. The work of a
  // message waits its turn in the basket lane, and is dropped when its page has been replaced by
  // then.
  void userContentController(platform::WebView& sender, std::string_view name,
                             const nlohmann::json& body);

  // The card part of the payment summary, from the current page's first payment instrument.
  PageObject getUpdatedPaymentSummaryJson() const;
  // Puts the picked item into the page's basket; on success sends the page the payment summary,
  // after the stores of the item's SKU when updateStores is set. A failure is kept in errMsg only.
  // Holds the turn until the page has been sent what follows from the reply.
  void updateBasket(const Page& page, PageObject updatedPaymentSummaryJson, bool updateStores,
                    TurnHandle turn);
  // The basket update for the picked item: one of it, with its name and price when they are given
  // well, and the page's offer; absent before the page has an offer.
  std::shared_ptr<BasketUpdateParam> buildUpdateBasketParam(const ProductPage& page) const;
  // Redeems the points on the page's basket, then updates the basket without a store refresh.
  void redeemLoyaltyAndUpdateDetails(const Page& page, std::int64_t points,
                                     PageObject updatedPaymentSummaryJson, TurnHandle turn);
  // Sends the page the stores (when given) and then the payment summary with the basket's figures.
  void updateProductPageDetails(const ProductPage& page,
                                const std::shared_ptr<Basket>& updatedBasket,
                                PageObject paymentSummaryJson,
                                const std::optional<ModelList<StoreBase>>& storesData);
  // The purchase of the current page's basket, as the page shows it. Refused, with the page's error
  // shown, when that basket does not hold buyNowDict's SKU, or, for a Buy that names none, when the
  // page's last update failed. Otherwise shows the receipt page, then completes the scan, pays with
  // the page's first payment instrument, marks the basket ready for payment, fetches the receipt
  // and fills the page, all in the view that bought. A failure before the payment is shown at once
  // and ends the purchase; one after it is shown only when the platform holds no receipt for the
  // basket either. Holds the turn to its end. A page buys once: its later Buys are ignored.
  void payAndDisplayReceipt(TurnHandle turn);
  // Shows the text in the current page's error box now.
  void displayErrorMessage(const std::string& errorMsg);
  // The platform cancelled the shopper's transaction: a purchase under way takes no further step
  // towards the payment; one whose payment the platform takes all the same ends on its receipt.
  void transactionCancelled();

 private:
  class Purchase;
  using Work = std::function<void(DravixActionHandler&, const Page&, TurnHandle)>;

  // Queues the work of a message of the current page; in its turn it runs if that page is still
  // the current one.
  void awaitTurn(BasketRequestLane::Kind kind, Work work);
  // Keeps the failure's text in errMsg, and returns it.
  const std::string& recordFailure(std::string_view prefix, const std::optional<Error>& error);
  // Whether the page's basket holds the item of buyNowDict, or is the one to buy when it names
  // none.
  bool showsItemToBuy(const ProductPage& page) const;

  Page page_;
  // The item that size and loyalty changes put into the basket: the page's first, then the body of
  // the last "skuChanged", or "showReceipt" naming a SKU. Unlike buyNowDict, a Buy that names none
  // leaves it.
  nlohmann::json basketItem_ = nlohmann::json::object();
  // From an accepted "showReceipt" to the end of its purchase.
  bool purchaseUnderway_ = false;
  std::weak_ptr<Purchase> purchase_;
};

// The process's one handler, made on first use and kept to the end.
const std::shared_ptr<DravixActionHandler>& actionHandler();

// A "price" of a message as a whole number: a JSON integer, or text of an optional "+" or "-" and
// decimal digits, within 64 bits. Absent for anything else (a fraction, a blank, null).
std::optional<std::int64_t> parsePrice(const nlohmann::json& value);

// Prefixes of the failure texts.
inline constexpr std::string_view kUpdatingBasketFailed = "Updating basket failed: ";
inline constexpr std::string_view kStoresNotFetched = "Error fetching stores for sku: ";
inline constexpr std::string_view kLoyaltyNotRedeemed =
    "Error while redeeming loyalty points for shopper: ";
inline constexpr std::string_view kScanNotCompleted = "Could not mark scan complete: ";
inline constexpr std::string_view kPaymentNotMade = "Could not make payment: ";
inline constexpr std::string_view kPaymentNotCompleted = "Could not complete payment process: ";
inline constexpr std::string_view kReceiptNotFetched = "Could not get receipt: ";

}  // namespace zelvora::internal
