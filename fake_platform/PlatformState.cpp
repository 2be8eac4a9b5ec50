#include "fake_platform/PlatformState.hpp"

#include <array>

#include <openssl/rand.h>

#include "fake_platform/BodyFields.hpp"
#include "fake_platform/Catalog.hpp"
#include "fake_platform/Replies.hpp"
#include "fake_platform/RequestChecks.hpp"
#include "fake_platform/Signing.hpp"
#include "fake_platform/Text.hpp"

namespace zelvora::fake {
namespace {

using PathValues = std::map<std::string, std::string>;

std::vector<std::string_view> split(std::string_view text) {
  std::vector<std::string_view> parts;
  for (std::size_t start = 0;;) {
    const std::size_t slash = text.find('/', start);
    parts.push_back(text.substr(start, slash - start));
    if (slash == std::string_view::npos) {
      return parts;
    }
    start = slash + 1;
  }
}

// Segments are decoded one by one, so that an escaped "/" stays inside its segment.
std::vector<std::string> pathSegments(std::string_view target) {
  std::vector<std::string> segments;
  for (std::string_view segment : split(target.substr(0, target.find('?')))) {
    segments.push_back(percentDecode(segment));
  }
  return segments;
}

std::optional<PathValues> matchTemplate(std::string_view pathTemplate,
                                        const std::vector<std::string>& segments) {
  const std::vector<std::string_view> parts = split(pathTemplate);
  if (parts.size() != segments.size()) {
    return std::nullopt;
  }
  PathValues values;
  for (std::size_t i = 0; i < parts.size(); ++i) {
    if (parts[i].starts_with('{')) {
      values.emplace(parts[i].substr(1, parts[i].size() - 2), segments[i]);
    } else if (parts[i] != segments[i]) {
      return std::nullopt;
    }
  }
  return values;
}

std::string randomToken() {
  std::array<unsigned char, 16> bytes{};
  RAND_bytes(bytes.data(), static_cast<int>(bytes.size()));
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string token;
  for (unsigned char byte : bytes) {
    token += kDigits[byte >> 4];
    token += kDigits[byte & 0x0f];
  }
  return token;
}

}  // namespace

const std::array<PlatformState::Route, 27> PlatformState::kRoutes{{
    {"POST", "/api/client/session", Access::anyone, &PlatformState::createSession},
    {"GET", "/api/client/session/{session-id}", Access::session, &PlatformState::lookUpSession},
    {"POST", "/api/client/session/authenticate-shopper", Access::session,
     &PlatformState::addShopperToSession},
    {"GET", "/api/client/shopper/{shopper-id}", Access::shopper, &PlatformState::lookUpShopper},
    {"GET", "/api/client/shopper/{shopper-id}/payment-instruments", Access::shopper,
     &PlatformState::lookUpPaymentInstruments},
    {"POST", "/api/client/shopper/default-payment-instrument", Access::shopper,
     &PlatformState::setDefaultPaymentInstrument},
    {"GET", "/api/client/shopper/{shopper-id}/default-payment-instrument", Access::shopper,
     &PlatformState::getDefaultPaymentInstrument},
    {"GET", "/api/client/shopper/{shopper-id}/receipts", Access::shopper,
     &PlatformState::findReceipts},
    {"GET", "/api/client/shopper/{shopper-id}/loyalty", Access::shopper,
     &PlatformState::lookUpLoyaltyPoints},
    {"POST", "/api/client/shopper/profile", Access::shopper, &PlatformState::updateShopperProfile},
    {"GET", "/api/client/shopper/{shopper-id}/profile", Access::shopper,
     &PlatformState::lookUpShopperProfile},
    {"POST", "/api/client/basket", Access::shopper, &PlatformState::createBasket},
    {"POST", "/api/client/basket/associate-pos", Access::shopper, &PlatformState::associateBasket},
    {"GET", "/api/client/basket/{basket-id}", Access::shopper, &PlatformState::lookUpBasket},
    {"GET", "/api/client/basket/{basket-id}/receipt", Access::shopper,
     &PlatformState::lookUpReceipt},
    {"POST", "/api/client/payment-preview", Access::shopper, &PlatformState::previewPayment},
    {"POST", "/api/client/payment", Access::shopper, &PlatformState::makePayment},
    {"POST", "/api/client/basket/loyalty", Access::shopper, &PlatformState::redeemLoyalty},
    {"GET", "/api/client/basket/most-recent/session/{session-id}", Access::shopper,
     &PlatformState::lookUpMostRecentBasket},
    {"GET", "/api/client/basket/list-active/session/{session-id}", Access::shopper,
     &PlatformState::lookUpActiveBaskets},
    {"POST", "/api/client/pos/update-basket", Access::shopper, &PlatformState::updateBasket},
    {"GET", "/api/client/pos/product-offer/{qr-data}", Access::shopper,
     &PlatformState::getInstantBuyProductOffer},
    {"GET", "/api/client/pos/skus/merchant/{merchant-id}/product/{merchant-product-id}",
     Access::shopper, &PlatformState::getSkusForProduct},
    {"GET", "/api/client/pos/sku-availability/merchant/{merchant-id}/sku/{sku}", Access::shopper,
     &PlatformState::getSkuAvailability},
    {"POST", "/api/client/pos/complete-scan", Access::shopper, &PlatformState::posCompleteScan},
    {"POST", "/api/client/pos/ready-for-payment", Access::shopper,
     &PlatformState::posReadyForPayment},
    {"POST", "/api/client/provision-payment-instrument", Access::shopper,
     &PlatformState::provisionPaymentInstrument},
}};

PlatformState::PlatformState(std::string merchantId) : merchantId_(std::move(merchantId)) {}

HttpResponse PlatformState::handle(const HttpRequest& request) {
  try {
    const std::vector<std::string> segments = pathSegments(request.target);
    const std::string method = upperCase(request.method);
    bool pathKnown = false;
    for (const Route& route : kRoutes) {
      std::optional<PathValues> values = matchTemplate(route.pathTemplate, segments);
      pathKnown = pathKnown || values.has_value();
      if (values && route.method == method) {
        return (this->*route.handler)(callFor(route, request, std::move(*values)));
      }
    }
    const std::string path = decodedPathOf(request.target);
    return pathKnown ? messageError(405, "method-not-allowed", "method",
                                    method + " is not allowed on " + path)
                     : notFound("endpoint", "No endpoint at " + path);
  } catch (const Rejection& rejection) {
    return rejection.response;
  }
}

PlatformState::Call PlatformState::callFor(const Route& route, const HttpRequest& request,
                                           PathValues pathValues) {
  Call call{std::move(pathValues), route.method == "POST" ? parsedBody(request.body) : nullptr};
  if (route.access == Access::anyone) {
    return call;
  }
  auto sessionId = sessionIdByToken_.find(bearerToken(request).value_or(""));
  if (sessionId == sessionIdByToken_.end()) {
    throw Rejection{unauthorized("session-token", "Unknown session token")};
  }
  call.session = &sessions_.at(sessionId->second);
  if (route.access == Access::shopper) {
    if (!call.session->shopperId) {
      throw Rejection{unauthorized("shopper", "The session has no authenticated shopper")};
    }
    call.shopper = &shoppers_.at(*call.session->shopperId);
  }
  return call;
}

std::string PlatformState::nextId(std::string_view prefix) {
  return std::string(prefix) + "-" + std::to_string(++lastId_);
}

nlohmann::json PlatformState::sessionJson(const SessionRecord& session) const {
  nlohmann::json json = {
      {"id", session.id},
      {"merchant-id", merchantId_},
      {"device-id", session.deviceId},
      {"created", session.created},
      {"state", session.state},
      {"location-info", nlohmann::json::array({{{"format", "zip"}, {"zip", "94107"}}})},
      {"is-active", true},
      {"token", session.token}};
  if (session.shopperId) {
    json["shopper-id"] = *session.shopperId;
    json["merchant-auth-token"] = *session.merchantAuthToken;
  }
  return json;
}

HttpResponse PlatformState::createSession(const Call& call) {
  if (requiredString(call.body, "merchant-id") != merchantId_) {
    return parameterError("merchant-id", "is not a known merchant");
  }
  SessionRecord session{nextId("session"), randomToken(), requiredString(call.body, "device-id"),
                        catalog::nowText()};
  sessionIdByToken_[session.token] = session.id;
  const SessionRecord& stored = sessions_[session.id] = std::move(session);
  return jsonReply(sessionJson(stored));
}

HttpResponse PlatformState::lookUpSession(const Call& call) {
  auto session = sessions_.find(call.pathValues.at("session-id"));
  if (session == sessions_.end()) {
    return notFound("session", "Unknown session");
  }
  return jsonReply(sessionJson(session->second));
}

// Authenticating replaces the session's token: calls made with the old one are refused.
HttpResponse PlatformState::addShopperToSession(const Call& call) {
  SessionRecord& session = *call.session;
  if (requiredString(call.body, "session-id") != session.id) {
    return notFound("session", "The session id does not belong to the session token");
  }
  const std::string merchantShopperId = requiredNonEmptyString(call.body, "merchant-shopper-id");
  session.merchantAuthToken = requiredNonEmptyString(call.body, "merchant-auth-token");
  session.shopperId = shopperSignedInAs(merchantShopperId).id;
  session.state = "authenticated";
  sessionIdByToken_.erase(session.token);
  session.token = randomToken();
  sessionIdByToken_[session.token] = session.id;
  return jsonReply(sessionJson(session));
}

std::optional<std::string> PlatformState::shopperIdFor(std::string_view merchantShopperId) const {
  auto found = shopperIdByMerchantShopperId_.find(merchantShopperId);
  return found == shopperIdByMerchantShopperId_.end() ? std::nullopt : std::optional(found->second);
}

std::vector<std::string> PlatformState::paymentInstrumentIds(std::string_view shopperId) const {
  std::vector<std::string> ids;
  auto shopper = shoppers_.find(shopperId);
  if (shopper != shoppers_.end()) {
    for (const auto& instrument : shopper->second.instruments) {
      ids.push_back(instrument.at("payment-instrument-id"));
    }
  }
  return ids;
}

std::optional<std::string> PlatformState::basketState(std::string_view basketId) const {
  auto basket = baskets_.find(basketId);
  return basket == baskets_.end() ? std::nullopt : std::optional(basket->second.state);
}

}  // namespace zelvora::fake
