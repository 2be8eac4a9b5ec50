#include "EventMessages.hpp"

#include "CoreNetworking/Response/ReplyText.hpp"
#include "Models/Models.hpp"

#include <zelvora/models/Basket.hpp>
#include <zelvora/models/BasketReceipt.hpp>
#include <zelvora/models/BasketReceiptNotification.hpp>
#include <zelvora/models/Receipt.hpp>

namespace zelvora::internal {
namespace {

const std::string* stringMember(const Json& object, std::string_view key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? found->get_ptr<const std::string*>()
                                                     : nullptr;
}

template <class Model>
std::shared_ptr<Model> decodeBody(const Json& body) {
  auto decoded = Decoders::decode<std::shared_ptr<Model>>(body);
  return decoded ? std::move(decoded).value() : nullptr;
}

std::optional<EventMessage> basketEvent(const Json& body) {
  const std::string* state = stringMember(body, "state");
  if (state == nullptr) {
    return std::nullopt;
  }
  if (*state == "cancel-transaction") {
    return TransactionCancelled{};
  }
  if (*state != "new" && *state != "complete-scan" && *state != "update-basket") {
    return std::nullopt;
  }
  if (auto basket = decodeBody<Basket>(body)) {
    return BasketUpdated{std::move(basket)};
  }
  return std::nullopt;
}

std::optional<EventMessage> receiptEvent(const Json& body) {
  if (auto receipt = decodeBody<BasketReceiptNotification>(body)) {
    return ReceiptReceived{std::move(receipt)};
  }
  return std::nullopt;
}

std::optional<EventMessage> offerEvent(const Json& body) {
  if (const std::string* imageUrl = stringMember(body, "image-url")) {
    return PostPaymentOffer{*imageUrl};
  }
  return std::nullopt;
}

}  // namespace

std::optional<EventMessage> parseEventMessage(std::string text) {
  const auto parsed = parseReplyText(std::move(text));
  if (!parsed || !parsed.value().is_object()) {
    return std::nullopt;
  }
  const Json& event = parsed.value();
  // A usable body comes first: an event without one is dropped whatever its type.
  const auto body = event.find("body");
  if (body == event.end() || !body->is_object()) {
    return std::nullopt;
  }
  const std::string* type = stringMember(event, "type");
  if (type == nullptr) {
    return std::nullopt;
  }
  if (*type == "basket-update" || *type == "complete-scan") {
    return basketEvent(*body);
  }
  if (*type == "basket-receipt-update") {
    return receiptEvent(*body);
  }
  if (*type == "post-purchase-offer") {
    return offerEvent(*body);
  }
  return std::nullopt;
}

std::shared_ptr<BasketReceiptNotification> convertBasketReceiptToBasketReceiptNotification(
    const BasketReceipt& basketReceipt) {
  auto notification = std::make_shared<BasketReceiptNotification>();
  notification->offers = basketReceipt.offers;
  notification->totalPayments = basketReceipt.totalPayments;
  notification->summary = basketReceipt.summary;
  notification->paymentTypeOffers = basketReceipt.paymentTypeOffers;
  notification->items = basketReceipt.items;
  notification->reconciledTotal = basketReceipt.reconciledTotal;
  if (const auto& receipt = basketReceipt.receipt) {
    notification->productOffers = receipt->productOffers;
    notification->payments = receipt->payments;
    notification->merchantId = receipt->merchantId;
    notification->transactionInfo = receipt->transactionInfo;
    notification->created = receipt->created;
    notification->id = receipt->id;
  }
  return notification;
}

std::string eventSocketAddress(const ServerAddress& server,
                               const std::optional<std::string>& identifierForVendor) {
  return (server.scheme == "https" ? "wss://" : "ws://") + server.host + ":" +
         std::to_string(server.port) + "/api/client/ws/" + identifierForVendor.value_or("");
}

}  // namespace zelvora::internal
