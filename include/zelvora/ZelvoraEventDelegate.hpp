#pragma once

#include <zelvora/Export.hpp>

#include <zelvora/models/Forward.hpp>

#include <memory>
#include <string>

namespace zelvora {

// What the app implements to hear of the platform's real-time basket events; set it with
// ZelvoraEventListener::shared().setDelegate(). Every method runs on the main queue, never inside
// the SDK call that caused it, and does nothing unless overridden, so an app overrides only the
// events it cares about.
class ZELVORA_EXPORT ZelvoraEventDelegate {
 public:
  virtual ~ZelvoraEventDelegate() = default;

  // The shopper's basket changed (an update, a completed scan); the SDK has already stored it.
  virtual void didUpdateBasket(std::shared_ptr<Basket> /*basket*/) {}
  // The transaction completed; the SDK has cleared its stored session and basket.
  virtual void didReceiveReceipt(std::shared_ptr<BasketReceiptNotification> /*receipt*/) {}
  // The platform offers the shopper something after the purchase, shown by the image at imageUrl.
  virtual void didReceivePostPaymentOffer(const std::string& /*imageUrl*/) {}
  // The transaction was cancelled; the SDK has cleared its stored session and basket.
  virtual void didCancelTransaction() {}
};

}  // namespace zelvora
