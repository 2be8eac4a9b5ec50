// What the listener does with the events it hears and, after a background period, with the basket
// it looks up to catch up on the events it missed.
#include "APIs/Generated/ClientAPI.hpp"
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

// Applies the change only while the Store still holds the basket the re-sync looked up: an event
// or a call that replaced it since knows better.
template <class Change>
bool whileStored(const StoredModel<Basket>& stored, Change change) {
  bool applied = false;
  StoreState::update([&](StoreValues& values) {
    if (values.basket == stored) {
      change(values);
      applied = true;
    }
  });
  return applied;
}

StoredModel<Basket> storedBasketWithId() {
  auto basket = StoreState::get(&StoreValues::basket);
  return basket && basket->id && !basket->id->empty() ? basket : StoredModel<Basket>();
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

// The platform closes a cancelled transaction's connection; the reconnect follows its end.
void EventListener::cancelTransaction() {
  closeOpenSocket();
  deliver([](auto& delegate) { delegate.didCancelTransaction(); });
}

void EventListener::startResync() {
  if (auto stored = storedBasketWithId()) {
    lookUpForResync(std::move(stored), true);
  }
}

void EventListener::lookUpForResync(StoredModel<Basket> stored, bool retryOnError) {
  const std::string basketId = *stored->id;
  ClientAPI::lookUpBasket(basketId, [self = shared_from_this(), stored, retryOnError](
                                        std::shared_ptr<Basket> fresh, std::optional<Error> error) {
    if (error) {
      if (auto again = retryOnError ? storedBasketWithId() : StoredModel<Basket>()) {
        self->lookUpForResync(std::move(again), false);
      }
    } else if (fresh) {
      self->resyncWith(stored, fresh);
    }
  });
}

void EventListener::resyncWith(const StoredModel<Basket>& stored,
                               const std::shared_ptr<Basket>& fresh) {
  if (!fresh->state) {
    return;
  }
  switch (*fresh->state) {
    case BasketFlowState::completeTransaction:
      ClientAPI::lookUpReceipt(*stored->id, [self = shared_from_this(), stored](
                                                std::shared_ptr<BasketReceipt> basketReceipt,
                                                std::optional<Error> error) {
        if (!error && basketReceipt && whileStored(stored, clearTransaction)) {
          self->deliver([receipt = convertBasketReceiptToBasketReceiptNotification(*basketReceipt)](
                            auto& delegate) { delegate.didReceiveReceipt(receipt); });
        }
      });
      return;
    case BasketFlowState::New:
    case BasketFlowState::updateBasket:
    case BasketFlowState::completeScan:
      if (whileStored(stored, [&](StoreValues& values) { values.basket = fresh; })) {
        deliver([fresh](auto& delegate) { delegate.didUpdateBasket(fresh); });
      }
      return;
    case BasketFlowState::cancelTransaction:
      if (whileStored(stored, clearTransaction)) {
        cancelTransaction();
      }
      return;
    case BasketFlowState::initiatePayment:
    case BasketFlowState::associatePos:
    case BasketFlowState::readyForPayment:
      return;
  }
}

}  // namespace zelvora::internal
