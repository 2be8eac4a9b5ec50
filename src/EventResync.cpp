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

// The stored basket, when one with an id is stored.
std::optional<StoredModel<Basket>> storedBasketWithId() {
  auto basket = StoreState::get(&StoreValues::basket);
  if (!basket || !basket->id || basket->id->empty()) {
    return std::nullopt;
  }
  return basket;
}

std::optional<std::string> storedBasketId() {
  const auto basket = storedBasketWithId();
  return basket ? (*basket)->id : std::nullopt;
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

// Ends the transaction only while the Store holds the basket the re-sync looked up (a copy stored
// since by the app's own calls included): an event or a call that stored another basket, or none,
// since knows better.
template <class Change>
bool whileStored(const std::string& basketId, Change change) {
  return applyIf(
      [&](const StoreValues& values) { return values.basket && values.basket->id == basketId; },
      change);
}

// Replaces the basket only while the Store holds the very copy it held when the lookup went out:
// every write stores a copy of its own, so any basket stored since, by an event or the app's
// calls, is newer than the lookup's answer may be.
template <class Change>
bool whileUnwritten(const StoredModel<Basket>& lookedUp, Change change) {
  return applyIf([&](const StoreValues& values) { return values.basket == lookedUp; }, change);
}

}  // namespace

void EventListener::deliver(std::function<void(ZelvoraEventDelegate&)> callback) {
  platform::mainQueue()->post([self = shared_from_this(), callback = std::move(callback)] {
    if (auto delegate = self->options_.delegate()) {
      callback(*delegate);
    }
  });
}

void EventListener::handle(const EventMessage& message) {
  std::visit(Overloaded{[&](const BasketUpdated& update) {
                          StoreState::set(&StoreValues::basket, update.basket);
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
                          deliver([receipt = received.receipt](auto& delegate) {
                            delegate.didReceiveReceipt(receipt);
                          });
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
  if (auto basket = storedBasketWithId()) {
    lookUpForResync(std::move(*basket), true);
  }
}

void EventListener::lookUpForResync(StoredModel<Basket> lookedUp, bool retryOnError) {
  const std::string basketId = *lookedUp->id;
  auto handleAnswer = [self = shared_from_this(), lookedUp = std::move(lookedUp), retryOnError](
                          std::shared_ptr<Basket> fresh, std::optional<Error> error) {
    if (error) {
      if (auto again = retryOnError ? storedBasketWithId() : std::nullopt) {
        self->lookUpForResync(std::move(*again), false);
      }
    } else if (fresh) {
      self->resyncWith(lookedUp, fresh);
    }
  };
  ClientAPI::lookUpBasket(basketId, std::move(handleAnswer));
}

void EventListener::resyncWith(const StoredModel<Basket>& lookedUp,
                               const std::shared_ptr<Basket>& fresh) {
  if (!fresh->state) {
    return;
  }
  const std::string& basketId = *lookedUp->id;
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
      if (whileUnwritten(lookedUp, [&](StoreValues& values) { values.basket = fresh; })) {
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
          self->deliver([receipt = convertBasketReceiptToBasketReceiptNotification(*basketReceipt)](
                            auto& delegate) { delegate.didReceiveReceipt(receipt); });
        }
      });
}

}  // namespace zelvora::internal
