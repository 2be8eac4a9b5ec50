#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include <nlohmann/json.hpp>

// What the platform remembers between calls. Resources that only travel (offers, addresses,
// receipts) stay in their JSON form.
namespace zelvora::fake {

struct SessionRecord {
  std::string id{};
  std::string token{};
  std::string deviceId{};
  std::string created{};
  std::string state = "new";
  std::optional<std::string> shopperId{};
  std::optional<std::string> merchantAuthToken{};
};

struct ShopperRecord {
  std::string id{};
  std::string merchantShopperId{};
  std::string defaultInstrumentId{};
  nlohmann::json instruments{};  // without "default", which follows defaultInstrumentId
  nlohmann::json profile{};
  std::int64_t accruedPoints = 0;
  std::int64_t redeemedPoints = 0;
  nlohmann::json receipts = nlohmann::json::array();  // newest first
  std::uint64_t provisionedCards = 0;
};

struct BasketRecord {
  std::string id{};
  std::uint64_t sequence = 0;  // creation order across all baskets
  std::string sessionId{};
  std::string shopperId{};
  std::string state = "new";
  nlohmann::json items = nlohmann::json::array();
  nlohmann::json skuOffers = nlohmann::json::array();
  nlohmann::json productOffers = nlohmann::json::array();
  nlohmann::json tags = nlohmann::json::array();
  nlohmann::json fulfillment{};  // null until a basket update sets one
  std::int64_t loyaltyPoints = 0;
  std::optional<std::string> posId{};
  std::optional<std::string> paymentInstrumentId{};  // set by the payment
  nlohmann::json paymentTypeOffers = nlohmann::json::array();
  nlohmann::json receipt{};  // null until paid
};

// The shopper's instrument of that id; an unknown id rejects the request.
const nlohmann::json& instrumentOf(const ShopperRecord& shopper,
                                   const std::string& paymentInstrumentId);

}  // namespace zelvora::fake
