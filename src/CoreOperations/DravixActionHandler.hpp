#pragma once

#include "CoreOperations/BasketRequestLane.hpp"
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
// page. One per process; everything here runs on the main thread.
class DravixActionHandler : public std::enable_shared_from_this<DravixActionHandler> {
 public:
  using PageObject = page::PageObject;
  using TurnHandle = BasketRequestLane::TurnHandle;

  // The page of the latest opening; messages from any other web view are ignored.
  std::shared_ptr<platform::WebView> webview;
  // The body of the last "skuChanged" or "showReceipt" of the current opening: the item that the
  // loyalty messages put into the basket and whose name the receipt shows. Reset by each opening.
  nlohmann::json buyNowDict = nlohmann::json::object();
  // The text of the last failure of a message's calls.
  std::optional<std::string> errMsg;
  // The receipt last sent to the receipt page, as JSON text.
  std::optional<std::string> receiptJsonString;

  // A message the page posted. Names are matched exactly; a "skuChanged" or "showReceipt" whose
  // body is not an object is ignored, and so is every message from the accepted "showReceipt" to
  // the end of its purchase. The work of a message waits its turn in the basket lane, and is
  // dropped when its page has been replaced by then.
  void userContentController(platform::WebView& sender, std::string_view name,
                             const nlohmann::json& body);

  // The card part of the payment summary, from the shopper's first payment instrument now.
  PageObject getUpdatedPaymentSummaryJson() const;
  // Puts buyNowDict's item into the basket; on success sends the payment summary, after the stores
  // of the item's SKU when updateStores is set. A failure is kept in errMsg only. Holds the turn
  // until the page has been sent what follows from the reply.
  void updateBasket(PageObject updatedPaymentSummaryJson, bool updateStores, TurnHandle turn);
  // The basket update for buyNowDict's item: one of it, with its name and price when they are given
  // well, and the stored offer; absent without a stored offer.
  std::shared_ptr<BasketUpdateParam> buildUpdateBasketParam() const;
  // Redeems the points on the stored basket, then updates the basket without a store refresh.
  void redeemLoyaltyAndUpdateDetails(std::int64_t points, PageObject updatedPaymentSummaryJson,
                                     TurnHandle turn);
  // Sends the stores (when given) and then the payment summary with the basket's figures.
  void updateProductPageDetails(const std::shared_ptr<Basket>& updatedBasket,
                                PageObject paymentSummaryJson,
                                const std::optional<ModelList<StoreBase>>& storesData);
  // The purchase: shows the receipt page, then completes the scan, pays with the first payment
  // instrument, marks the basket ready for payment, fetches the receipt and fills the page. Each
  // failure is shown in the page at once and ends the purchase. Holds the turn to its end.
  void payAndDisplayReceipt(TurnHandle turn);
  // Shows the text in the page's error box now.
  void displayErrorMessage(const std::string& errorMsg);

 private:
  class Purchase;
  using Work = std::function<void(DravixActionHandler&, TurnHandle)>;

  // Queues the work of a message of the current page; in its turn it runs if that page is still
  // the current one.
  void awaitTurn(BasketRequestLane::Kind kind, Work work);
  // Keeps the failure's text in errMsg, and returns it.
  const std::string& recordFailure(std::string_view prefix, const std::optional<Error>& error);

  // From an accepted "showReceipt" to the end of its purchase.
  bool purchaseUnderway_ = false;
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
