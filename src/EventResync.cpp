// What the listener does with the events it hears and, after a background period, with the basket
// it looks up to catch up on the events it missed.
#include "APIs/Generated/ClientAPI.hpp"
#include "CoreOperations/DravixActionHandler.hpp"
#include "EventListener.hpp"
#include "Helpers/StoreState.hpp"
#include "Platform/MainQueue.hpp"
#include "WebSocket.hpp"

#include <zelvora/models/Basket.hpp>
#include <zelvora/models/BasketReceipt.hpp>
#include <zelvora/models/BasketReceiptNotification.hpp>

#include <algorithm>

namespace zelvora::internal {
namespace {

template <class... Handlers>
struct Overloaded : Handlers... {
  using Handlers::operator()...;
};

void clearTransaction(StoreValues& values) {
  values.session = nullptr;
  values.basket = nullptr;
  values.cleanUpDravixData();
}

// The stored basket's id, when a basket with an id is stored.
std::optional<std::string> storedBasketId() {
  const auto basket = StoreState::get(&StoreValues::basket);
  if (!basket || !basket->id || basket->id->empty()) {
    return std::nullopt;
  }
  return basket->id;
}

// Applies the change as one step with the Store, and only when `stillDue` finds it due there.
template <class Condition, class Change>
bool applyIf(Condition stillDue, Change change) {
  bool applied = false;
  StoreState::update([&](StoreValues& values) {
    if (stillDue(values)) {
      change(values);
      applied = true;
    }
  });
  return applied;
}

bool holdsBasket(const StoreValues& values, const std::string& basketId) {
  return values.basket && values.basket->id == basketId;
}

// Ends the transaction only while the Store holds the basket the re-sync looked up (a copy stored
// since by the app's own calls included): an event or a call that stored another basket, or none,
// since knows better.
template <class Change>
bool whileStored(const std::string& basketId, Change change) {
  return applyIf([&](const StoreValues& values) { return holdsBasket(values, basketId); }, change);
}

// Replaces the basket only while the Store holds a copy of it read from the platform before the
// lookup went out: an event taken since, or the reply to a call sent since, is no older than the
// lookup's answer.
template <class Change>
bool whileReadBefore(const std::string& basketId, PlatformRead lookup, Change change) {
  return applyIf(
      [&](const StoreValues& values) {
        return holdsBasket(values, basketId) && values.basket.read() < lookup;
      },
      change);
}

// An event is numbered as the main thread takes it, not as its frame arrives: the catch-up's
// lookups go out from the main thread too, so an event counts as read after a lookup exactly when
// the listener took it after sending that lookup. A frame that waited meanwhile thus counts as
// newer, which errs on the side of what the platform pushed.
void storeEventBasket(const std::shared_ptr<Basket>& basket) {
  StoreState::set(&StoreValues::basket, {basket, nextPlatformRead()});
}

}  // namespace

void EventListener::deliver(std::function<void(ZelvoraEventDelegate&)> callback) {
  platform::mainQueue()->post([self = shared_from_this(), callback = std::move(callback)] {
    if (auto delegate = self->options_.delegate()) {
      callback(*delegate);
    }
  });
}

// The platform's receipt event and the catch-up after a background period may both bring the same
// receipt, in either order: the app hears it once, however many times it comes. A receipt without
// an id cannot be told from another, so it is always delivered.
void EventListener::deliverReceipt(std::shared_ptr<BasketReceiptNotification> receipt) {
  if (!receipt->id || rememberReceipt(*receipt->id)) {
    deliver(
        [receipt = std::move(receipt)](auto& delegate) { delegate.didReceiveReceipt(receipt); });
  }
}

// Whether the receipt is new, remembering it then. Both ways a receipt comes follow each other
// closely, so the last few ids are enough to remember.
bool EventListener::rememberReceipt(const std::string& receiptId) {
  if (std::find(deliveredReceiptIds_.begin(), deliveredReceiptIds_.end(), receiptId) !=
      deliveredReceiptIds_.end()) {
    return false;
  }
  if (deliveredReceiptIds_.size() == kRememberedReceipts) {
    deliveredReceiptIds_.pop_front();
  }
  deliveredReceiptIds_.push_back(receiptId);
  return true;
}

void EventListener::handle(const EventMessage& message) {
  std::visit(Overloaded{[&](const BasketUpdated& update) {
                          storeEventBasket(update.basket);
                          deliver([basket = update.basket](auto& delegate) {
                            delegate.didUpdateBasket(basket);
                          });
                        },
                        [&](const TransactionCancelled&) {
                          StoreState::update(clearTransaction);
                          cancelTransaction();
                        },
                        [&](const ReceiptReceived& received) {
                          StoreState::update(clearTransaction);
                          deliverReceipt(received.receipt);
                        },
                        [&](const PostPaymentOffer& offer) {
                          deliver([imageUrl = offer.imageUrl](auto& delegate) {
                            delegate.didReceivePostPaymentOffer(imageUrl);
                          });
                        }},
             message);
}

// The platform closes a cancelled transaction's connection; the reconnect follows its end. The
// delegate's call is queued first, so that the app hears of the cancellation before the socket's
// end, which the socket's own thread may report at once.
void EventListener::cancelTransaction() {
  actionHandler()->transactionCancelled();
  deliver([](auto& delegate) { delegate.didCancelTransaction(); });
  closeOpenSocket();
}

void EventListener::startResync() {
  if (auto basketId = storedBasketId()) {
    lookUpForResync(*basketId, true);
  }
}

void EventListener::lookUpForResync(const std::string& basketId, bool retryOnError) {
  const PlatformRead read = nextPlatformRead();  // as the lookup goes out
  auto handleAnswer = [self = shared_from_this(), basketId, read, retryOnError](
                          std::shared_ptr<Basket> fresh, std::optional<Error> error) {
    if (error) {
      if (auto again = retryOnError ? storedBasketId() : std::nullopt) {
        self->lookUpForResync(*again, false);
      }
    } else if (fresh) {
      self->resyncWith(basketId, read, fresh);
    }
  };
  ClientAPI::lookUpBasket(basketId, std::move(handleAnswer));
}

void EventListener::resyncWith(const std::string& basketId, PlatformRead lookup,
                               const std::shared_ptr<Basket>& fresh) {
  if (!fresh->state) {
    return;
  }
  switch (*fresh->state) {
    case BasketFlowState::completeTransaction:
      // The receipt belongs to the basket stored now; with another basket, or none, stored since
      // the lookup, there is nothing left to catch up on.
      if (storedBasketId() == basketId) {
        lookUpReceiptForResync(basketId);
      }
      return;
    case BasketFlowState::New:
    case BasketFlowState::updateBasket:
    case BasketFlowState::completeScan:
      if (whileReadBefore(basketId, lookup, [&](StoreValues& values) {
            values.basket = {fresh, lookup};
          })) {
        deliver([fresh](auto& delegate) { delegate.didUpdateBasket(fresh); });
      }
      return;
    case BasketFlowState::cancelTransaction:
      if (whileStored(basketId, clearTransaction)) {
        cancelTransaction();
      }
      return;
    case BasketFlowState::initiatePayment:
    case BasketFlowState::associatePos:
    case BasketFlowState::readyForPayment:
      return;
  }
}

void EventListener::lookUpReceiptForResync(const std::string& basketId) {
  ClientAPI::lookUpReceipt(
      basketId, [self = shared_from_this(), basketId](std::shared_ptr<BasketReceipt> basketReceipt,
                                                      std::optional<Error> error) {
        if (!error && basketReceipt && whileStored(basketId, clearTransaction)) {
          self->deliverReceipt(convertBasketReceiptToBasketReceiptNotification(*basketReceipt));
        }
      });
}

}  // namespace zelvora::internal
