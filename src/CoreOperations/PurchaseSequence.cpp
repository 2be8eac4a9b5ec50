// The purchase and receipt sequence of the product page's handler.
#include "APIs/Generated/ClientAPI.hpp"
#include "CoreOperations/DravixActionHandler.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/Bundle.hpp"
#include "Platform/PageAddress.hpp"
#include "Platform/WebView.hpp"

#include <zelvora/models/Models.hpp>

namespace zelvora::internal {

namespace {

std::optional<std::string> basketId() {
  const auto basket = StoreState::get(&StoreValues::basket);
  return basket ? basket->id : std::nullopt;
}

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

}  // namespace

// One purchase, from the scan completion to the receipt. It keeps its own copy of the session it
// started with and writes that back after each step, and keeps from its start what the receipt
// page shows besides the receipt: a receipt or cancel event that clears the product-page data (the
// Store's copy of the session, the merchant's name and the receipt's style sheet among them)
// meanwhile cannot take them with it. It holds the basket lane's turn to its end.
class DravixActionHandler::Purchase : public std::enable_shared_from_this<Purchase> {
 public:
  Purchase(std::shared_ptr<DravixActionHandler> handler, TurnHandle turn)
      : handler_(std::move(handler)), turn_(std::move(turn)), receipt_(page::PageObject::object()) {
    page::putText(receipt_, "productName", page::textEntry(handler_->buyNowDict, "name"));
    auto store = StoreState::snapshot();
    merchantName_ = std::move(store.merchantName);
    receiptCssUrl_ = std::move(store.customReceiptCssUrl);
  }

  void start() {
    auto scan = std::make_shared<MobilePos>();
    scan->basketId = basketId();
    ClientAPI::posCompleteScan(scan, next(&Purchase::scanCompleted));
  }

 private:
  template <class T>
  Completion<T> next(void (Purchase::*step)(std::shared_ptr<T>, std::optional<Error>)) {
    return [self = shared_from_this(), step](std::shared_ptr<T> value, std::optional<Error> error) {
      ((*self).*step)(std::move(value), std::move(error));
    };
  }

  void scanCompleted(std::shared_ptr<BasketState>, std::optional<Error> error) {
    if (error)
      return failDroppingSession(kScanNotCompleted, error);
    auto payment = std::make_shared<BasketPayment>();
    const auto store = StoreState::snapshot();
    payment->basketId = store.basket ? store.basket->id : std::nullopt;
    if (store.paymentInstrumentOffers && !store.paymentInstrumentOffers->empty() &&
        store.paymentInstrumentOffers->front())
      payment->paymentInstrumentId = store.paymentInstrumentOffers->front()->paymentInstrumentId;
    session_ = store.session;
    StoreState::set(&StoreValues::instantBuySession, session_);
    ClientAPI::makePayment(payment, next(&Purchase::paid));
  }

  void paid(std::shared_ptr<BasketPaymentConfirmation>, std::optional<Error> error) {
    StoreState::set(&StoreValues::session, session_);
    if (error)
      return failDroppingSession(kPaymentNotMade, error);
    readyForPayment_ = std::make_shared<MobilePos>();
    readyForPayment_->basketId = basketId();
    ClientAPI::posReadyForPayment(readyForPayment_, next(&Purchase::readyForPayment));
  }

  void readyForPayment(std::shared_ptr<BasketState>, std::optional<Error> error) {
    if (error)
      return failDroppingSession(kPaymentNotCompleted, error);
    StoreState::set(&StoreValues::session, session_);
    if (!readyForPayment_->basketId)
      return receiptFetched(nullptr, std::nullopt);
    ClientAPI::lookUpReceipt(*readyForPayment_->basketId, next(&Purchase::receiptFetched));
  }

  void receiptFetched(std::shared_ptr<BasketReceipt> reply, std::optional<Error> error) {
    if (error || !reply || !reply->receipt) {
      handler_->displayErrorMessage(handler_->recordFailure(kReceiptNotFetched, error));
    } else {
      addReceipt(receipt_, *reply->receipt, merchantName_);
      fill();
    }
    StoreState::cleanUpDravixData();
    end();
  }

  void fill() {
    handler_->receiptJsonString = page::jsonText(receipt_);
    const auto& webview = handler_->webview;
    if (!webview)
      return;
    if (receiptCssUrl_) {
      page::PageObject config = page::PageObject::object();
      page::putText(config, "merchantName", merchantName_);
      config["css"] = *receiptCssUrl_;
      webview->evaluate(page::assignment(page::kConfig, config));
    }
    webview->evaluate(std::string(page::kReceipt) + " = " + *handler_->receiptJsonString);
    webview->evaluate(page::call(page::kSetValues));
  }

  // A failure of the first three steps: the purchase cannot know the session is still good.
  void failDroppingSession(std::string_view prefix, const std::optional<Error>& error) {
    StoreState::update([](StoreValues& store) {
      store.session = nullptr;
      store.instantBuySession = nullptr;
    });
    handler_->displayErrorMessage(handler_->recordFailure(prefix, error));
    end();
  }

  // The page may change the basket again, and the next basket request go out.
  void end() {
    handler_->purchaseUnderway_ = false;
    turn_.reset();
  }

  std::shared_ptr<DravixActionHandler> handler_;
  TurnHandle turn_;
  page::PageObject receipt_;
  std::optional<std::string> merchantName_;
  std::optional<std::string> receiptCssUrl_;
  decltype(StoreValues::session) session_;
  std::shared_ptr<MobilePos> readyForPayment_;
};

void DravixActionHandler::payAndDisplayReceipt(TurnHandle turn) {
  const auto resource = platform::frameworkBundle()->pathForResource("thankyou", "html");
  if (!resource) {
    purchaseUnderway_ = false;
    return;
  }
  const auto page =
      platform::readPage(*resource, StoreState::get(&StoreValues::customReceiptHtmlUrl));
  if (page && webview)
    webview->loadHTML(*page);
  purchaseUnderway_ = true;
  std::make_shared<Purchase>(shared_from_this(), std::move(turn))->start();
}

}  // namespace zelvora::internal
