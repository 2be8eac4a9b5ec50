#include "fake_platform/PlatformState.hpp"
#include "fake_platform/Signing.hpp"
#include "fake_platform/Totals.hpp"

namespace zelvora::fake {
namespace {

constexpr std::string_view kPostPurchaseOfferImage =
    "https://images.platform.test/offers/thank-you-offer.png";

std::string eventText(std::string_view type, nlohmann::json body) {
  return nlohmann::json{{"type", type}, {"body", std::move(body)}}.dump();
}

std::optional<std::string> basketIdOf(const HttpRequest& request) {
  const auto body = nlohmann::json::parse(request.body, nullptr, false);
  if (!body.is_object() || !body.contains("basket-id") || !body.at("basket-id").is_string()) {
    return std::nullopt;
  }
  return body.at("basket-id").get<std::string>();
}

// What a paid basket's receipt event carries: the receipt and the totals of each SKU.
nlohmann::json receiptNotification(const BasketRecord& basket) {
  nlohmann::json notification = basket.receipt;
  notification["reconciled-total"] = reconciledTotalsOf(basket.items);
  return notification;
}

}  // namespace

std::string PlatformState::deviceOfBasket(const BasketRecord& basket) const {
  const auto session = sessions_.find(basket.sessionId);
  return session == sessions_.end() ? std::string() : session->second.deviceId;
}

std::vector<PushedEvent> PlatformState::eventsAfter(const HttpRequest& request) const {
  if (request.method != "POST") {
    return {};
  }
  const std::optional<std::string> basketId = basketIdOf(request);
  const auto found = basketId ? baskets_.find(*basketId) : baskets_.end();
  if (found == baskets_.end()) {
    return {};
  }
  const BasketRecord& basket = found->second;
  const std::string path = decodedPathOf(request.target);
  const std::string device = deviceOfBasket(basket);
  if (path == "/api/client/pos/update-basket") {
    return {{device, eventText("basket-update", basketResource(basket))}};
  }
  if (path == "/api/client/pos/complete-scan") {
    return {{device, eventText("complete-scan", basketResource(basket))}};
  }
  if (path == "/api/client/payment") {
    return {{device, eventText("post-purchase-offer", {{"image-url", kPostPurchaseOfferImage}})}};
  }
  if (path == "/api/client/pos/ready-for-payment" && !basket.receipt.is_null()) {
    return {{device, eventText("basket-receipt-update", receiptNotification(basket))}};
  }
  return {};
}

std::optional<PushedEvent> PlatformState::cancelTransaction(std::string_view basketId) {
  const auto found = baskets_.find(basketId);
  if (found == baskets_.end() || found->second.state == "complete-transaction" ||
      found->second.state == "cancel-transaction") {
    return std::nullopt;
  }
  found->second.state = "cancel-transaction";
  return PushedEvent{deviceOfBasket(found->second),
                     eventText("basket-update", basketResource(found->second))};
}

}  // namespace zelvora::fake
