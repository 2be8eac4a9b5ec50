// The purchase and receipt sequence of the product page's handler.
#include "APIs/Generated/ClientAPI.hpp"
#include "CoreNetworking/Response/QueryResponse.hpp"
#include "CoreOperations/DravixActionHandler.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/Bundle.hpp"
#include "Platform/PageAddress.hpp"
#include "Platform/WebView.hpp"
#include "Services/ZelvoraAuthorizedAPIService.hpp"

#include <zelvora/models/Models.hpp>

#include <algorithm>
#include <functional>
#include <vector>

namespace zelvora::internal {

namespace {

void addReceipt(page::PageObject& object, const Receipt& receipt,
                std::optional<std::string> merchantName) {
  const Payment* payment =
      receipt.payments && !receipt.payments->empty() ? receipt.payments->front().get() : nullptr;
  if (payment) {
    page::putText(object, "cardName", payment->cardAlias);
    page::putText(object, "cardNumber", payment->cardNumber);
    page::putDecimal(object, "finalAmount", payment->amount);
  }
  page::putText(object, "receiptId", receipt.id);
  const TotalSummary none;
  const TotalSummary& summary = receipt.summary ? *receipt.summary : none;
  page::putDecimal(object, "subtotal", summary.total);
  page::putDecimal(object, "tax", summary.tax);
  page::putDecimal(object, "savings", summary.productOfferCents);
  page::putDecimal(object, "payable", summary.paymentTotal);
  page::putDecimal(object, "cashRewards", summary.loyaltyCents);
  page::putDecimal(object, "promo", summary.productOfferCents);
  page::putDecimal(object, "totalSavings", summary.discountCents);
  page::putText(object, "merchantName", std::move(merchantName));
}

// A basket's line items ordered by SKU, those of one SKU in the basket's order (an absent item
// reads as one without any field).
std::vector<const BasketLineItem*> itemsBySku(const Basket& basket) {
  static const BasketLineItem none;
  std::vector<const BasketLineItem*> items;
  if (basket.items) {
    items.reserve(basket.items->size());
    for (const auto& item : *basket.items)
      items.push_back(item ? item.get() : &none);
  }
  std::stable_sort(items.begin(), items.end(),
                   [](const auto* a, const auto* b) { return a->sku < b->sku; });
  return items;
}

// A figure that either basket leaves out of an item says nothing of a change to that item.
template <class Figure>
bool figureAgrees(const std::optional<Figure>& shown, const std::optional<Figure>& platform) {
  return !shown || !platform || *shown == *platform;
}

// Whether the platform's basket holds the line items the page showed, in any order: the same SKUs,
// the n-th item of a SKU matched with the n-th of the other basket, each with the quantity and
// price both baskets give it. The summary is the platform's to change: it may price the basket
// anew at the scan, or for another default card, and the purchase still pays for what the shopper
// chose with the page's card.
bool sameItems(const Basket& shown, const Basket& platform) {
  const auto shownItems = itemsBySku(shown);
  const auto platformItems = itemsBySku(platform);
  return std::equal(shownItems.begin(), shownItems.end(), platformItems.begin(),
                    platformItems.end(), [](const auto* a, const auto* b) {
                      return a->sku == b->sku && figureAgrees(a->qty, b->qty) &&
                             figureAgrees(a->price, b->price);
                    });
}

// Why a purchase stopped on its own, in the words of the platform's errors.
Error purchaseStopped(std::string reason) {
  return Error::transport(NetworkingError::kMessageError, std::move(reason));
}

// Whether the answer to a failed call says that the platform did not act on it: a 4xx, or an error
// object of its own under another status below 500. No answer, one that cannot be read, or a 5xx
// says nothing of what it did.
bool refusedByThePlatform(const Error& error, std::optional<int> status) {
  if (!status || *status >= 500)
    return false;
  return *status >= 400 || NetworkingError::isPlatformError(error);
}

}  // namespace

// One purchase, from the scan completion to the receipt. It takes, as the shopper buys, all that
// it acts on: the basket as its page shows it, the page's first card, the stored session (in which
// it signs each of its requests), the view that bought, and what the receipt page shows besides
// the receipt. It reads none of them back later, so that events and the app's own calls, which
// keep writing the Store meanwhile, neither change what it pays for nor where it says so. It holds
// the basket lane's turn to its end.
class DravixActionHandler::Purchase : public std::enable_shared_from_this<Purchase> {
 public:
  Purchase(std::shared_ptr<DravixActionHandler> handler, const ProductPage& page, TurnHandle turn)
      : handler_(std::move(handler)),
        turn_(std::move(turn)),
        view_(page.view),
        basketId_(page.shownBasket->id),
        shownBasket_(page.shownBasket),
        session_(StoreState::get(&StoreValues::session)),
        receipt_(page::PageObject::object()),
        merchantName_(page.merchantName),
        receiptCssUrl_(page.receiptCssUrl) {
    page::putText(receipt_, "productName", page::textEntry(handler_->buyNowDict, "name"));
    if (page.instruments && !page.instruments->empty() && page.instruments->front())
      cardId_ = page.instruments->front()->paymentInstrumentId;
  }

  void start() {
    auto scan = std::make_shared<MobilePos>();
    scan->basketId = basketId_;
    signedAsBought([&] { ClientAPI::posCompleteScan(scan, next(&Purchase::scanCompleted)); });
  }

  void cancel() { cancelled_ = true; }

 private:
  // The completion that takes the purchase to its next step; a step that tells a refusal from a
  // lost answer hears the HTTP status too.
  template <class T, class... Status>
  std::function<void(std::shared_ptr<T>, std::optional<Error>, Status...)> next(
      void (Purchase::*step)(std::shared_ptr<T>, std::optional<Error>, Status...)) {
    return [self = shared_from_this(), step](std::shared_ptr<T> value, std::optional<Error> error,
                                             Status... status) {
      ((*self).*step)(std::move(value), std::move(error), std::move(status)...);
    };
  }

  // Makes the call in the session the purchase started with. An app that signs in again meanwhile
  // has the platform replace that session's token, so the purchase follows the session's newest
  // copy in the Store; one that events cleared, or another session, changes nothing.
  template <class Call>
  void signedAsBought(Call&& call) {
    const auto stored = StoreState::get(&StoreValues::session);
    if (stored && session_ && stored->id == session_->id)
      session_ = stored;
    SessionTokenScope scope(session_ && session_->token ? *session_->token : std::string());
    std::forward<Call>(call)();
  }

  static Error cancellation() { return purchaseStopped("The transaction was cancelled."); }

  void scanCompleted(std::shared_ptr<BasketState>, std::optional<Error> error) {
    if (error || cancelled_)
      return failDroppingSession(kScanNotCompleted, cancelled_ ? cancellation() : error);
    // The app may have changed the basket since the page showed it.
    signedAsBought([&] { ClientAPI::lookUpBasket(*basketId_, next(&Purchase::basketChecked)); });
  }

  void basketChecked(std::shared_ptr<Basket> basket, std::optional<Error> error) {
    if (!error && cancelled_)
      error = cancellation();
    else if (!error && (!basket || !sameItems(*shownBasket_, *basket)))
      error = purchaseStopped("The basket changed after the page showed it.");
    if (error)
      return fail(kPaymentNotMade, error);
    auto payment = std::make_shared<BasketPayment>();
    payment->basketId = basketId_;
    payment->paymentInstrumentId = cardId_;
    StoreState::set(&StoreValues::instantBuySession, session_);
    signedAsBought([&] { ClientAPI::makePayment(payment, next(&Purchase::paid)); });
  }

  void paid(std::shared_ptr<BasketPaymentConfirmation>, std::optional<Error> error,
            std::optional<int> status) {
    if (error) {
      paymentUnanswered_ = !refusedByThePlatform(*error, status);
      return failUnlessPaid(kPaymentNotMade, error);
    }
    // The platform took the payment though it cancelled the transaction meanwhile: the shopper has
    // paid, and the receipt, or why there is none, is all that is left to show.
    if (cancelled_)
      return lookUpReceipt(&Purchase::receiptFetched);
    auto ready = std::make_shared<MobilePos>();
    ready->basketId = basketId_;
    signedAsBought([&] { ClientAPI::posReadyForPayment(ready, next(&Purchase::readyForPayment)); });
  }

  void readyForPayment(std::shared_ptr<BasketState>, std::optional<Error> error) {
    if (error)
      return failUnlessPaid(kPaymentNotCompleted, error);
    lookUpReceipt(&Purchase::receiptFetched);
  }

  void lookUpReceipt(void (Purchase::*step)(std::shared_ptr<BasketReceipt>, std::optional<Error>)) {
    signedAsBought([&] { ClientAPI::lookUpReceipt(*basketId_, next(step)); });
  }

  void receiptFetched(std::shared_ptr<BasketReceipt> reply, std::optional<Error> error) {
    if (error || !reply || !reply->receipt)
      showError(handler_->recordFailure(kReceiptNotFetched, error));
    else
      fill(*reply->receipt);
    StoreState::cleanUpDravixData();
    end();
  }

  // A step after the payment went out failed: the shopper may have been charged all the same, and
  // then sees the receipt as after a success.
  void failUnlessPaid(std::string_view prefix, std::optional<Error> error) {
    failurePrefix_ = prefix;
    failure_ = std::move(error);
    lookUpReceipt(&Purchase::paymentConfirmed);
  }

  // Only a receipt settles a payment that got no answer. A lookup without one proves nothing: a
  // limit, a timeout or a refused credential says nothing of the payment, and a platform may hold
  // no receipt for a basket until it is ready for payment, so even a 404 or an empty success
  // can come for a payment it took.
  void paymentConfirmed(std::shared_ptr<BasketReceipt> reply, std::optional<Error> error) {
    if (!error && reply && reply->receipt) {
      fill(*reply->receipt);
      StoreState::cleanUpDravixData();
      return end();
    }
    if (paymentUnanswered_)
      return failUnconfirmed();
    failDroppingSession(failurePrefix_, failure_);
  }

  // Nobody knows whether the platform took the payment: the page says so, so that the shopper
  // looks at the receipts before paying again.
  void failUnconfirmed() {
    dropSession();
    page::showPaymentUnconfirmed(*view_, handler_->recordFailure(failurePrefix_, failure_));
    end();
  }

  void fill(const Receipt& receipt) {
    addReceipt(receipt_, receipt, merchantName_);
    handler_->receiptJsonString = page::jsonText(receipt_);
    if (receiptCssUrl_) {
      page::PageObject config = page::PageObject::object();
      page::putText(config, "merchantName", merchantName_);
      config["css"] = *receiptCssUrl_;
      view_->evaluate(page::assignment(page::kConfig, config));
    }
    view_->evaluate(std::string(page::kReceipt) + " = " + *handler_->receiptJsonString);
    view_->evaluate(page::call(page::kSetValues));
  }

  // A failure before the payment went out.
  void fail(std::string_view prefix, const std::optional<Error>& error) {
    showError(handler_->recordFailure(prefix, error));
    end();
  }

  void failDroppingSession(std::string_view prefix, const std::optional<Error>& error) {
    dropSession();
    fail(prefix, error);
  }

  // The purchase cannot know its session is still good; one the app has stored since stays.
  void dropSession() {
    StoreState::update([this](StoreValues& store) {
      if (store.session == session_)
        store.session = nullptr;
      store.instantBuySession = nullptr;
    });
  }

  void showError(const std::string& text) { page::showError(*view_, text); }

  // The page may change the basket again, and the next basket request go out.
  void end() {
    handler_->purchaseUnderway_ = false;
    turn_.reset();
  }

  std::shared_ptr<DravixActionHandler> handler_;
  TurnHandle turn_;
  std::shared_ptr<platform::WebView> view_;
  std::optional<std::string> basketId_;
  std::shared_ptr<const Basket> shownBasket_;
  std::optional<std::string> cardId_;
  StoredModel<Session> session_;
  page::PageObject receipt_;
  std::optional<std::string> merchantName_;
  std::optional<std::string> receiptCssUrl_;
  bool cancelled_ = false;
  bool paymentUnanswered_ = false;  // the payment failed with no refusal from the platform
  std::string_view failurePrefix_;
  std::optional<Error> failure_;
};

void DravixActionHandler::payAndDisplayReceipt(TurnHandle turn) {
  ProductPage& page = *page_;
  if (!showsItemToBuy(page) || !page.shownBasket->id) {
    purchaseUnderway_ = false;
    displayErrorMessage(recordFailure(kUpdatingBasketFailed, page.lastUpdateError));
    return;
  }
  const auto resource = platform::frameworkBundle()->pathForResource("thankyou", "html");
  if (!resource) {
    purchaseUnderway_ = false;
    return;
  }
  if (const auto receiptPage = platform::readPage(*resource, page.receiptHtmlUrl))
    page.view->loadHTML(*receiptPage);
  page.purchaseStarted = true;
  purchaseUnderway_ = true;
  auto purchase = std::make_shared<Purchase>(shared_from_this(), page, std::move(turn));
  purchase_ = purchase;
  purchase->start();
}

void DravixActionHandler::transactionCancelled() {
  if (const auto purchase = purchase_.lock())
    purchase->cancel();
}

}  // namespace zelvora::internal
