#pragma once

#include "Helpers/Constants.hpp"

#include <zelvora/models/Forward.hpp>

#include <memory>
#include <optional>
#include <string>
#include <variant>

namespace zelvora::internal {

// A basket event whose state is "new", "update-basket" or "complete-scan", with its basket.
struct BasketUpdated {
  std::shared_ptr<Basket> basket;
};
// A basket event whose state is "cancel-transaction".
struct TransactionCancelled {};
// A "basket-receipt-update" event, with its receipt.
struct ReceiptReceived {
  std::shared_ptr<BasketReceiptNotification> receipt;
};
// A "post-purchase-offer" event, with the offer image's address.
struct PostPaymentOffer {
  std::string imageUrl;
};

using EventMessage =
    std::variant<BasketUpdated, TransactionCancelled, ReceiptReceived, PostPaymentOffer>;

// The event an event frame's text carries, or nothing for a frame that is not an object with an
// object "body" and a string "type", whose type or basket state is not handled, or whose body does
// not decode into its model. HTML entities count as their characters inside the frame's strings.
std::optional<EventMessage> parseEventMessage(std::string text);

// The receipt notification the delegate receives for a basket receipt: the basket receipt's
// offers, total payments, summary, payment-type offers, items and reconciled totals, and, when it
// holds a receipt, that receipt's product offers, payments, merchant id, transaction, creation
// date and id. Nested models and lists are shared, not copied.
std::shared_ptr<BasketReceiptNotification> convertBasketReceiptToBasketReceiptNotification(
    const BasketReceipt& basketReceipt);

// "wss://" for the scheme "https" exactly, else "ws://"; the host; the port, always; the event
// path and the device's identifier for vendor, when it has one.
std::string eventSocketAddress(const ServerAddress& server,
                               const std::optional<std::string>& identifierForVendor);

}  // namespace zelvora::internal
