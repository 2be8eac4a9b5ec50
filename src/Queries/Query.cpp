#include "Queries/Query.hpp"

#include <curl/curl.h>

#include <algorithm>
#include <array>

namespace zelvora {
namespace {

struct Endpoint {
  ClientAPIPath path;
  Method method;
  std::string_view pathTemplate;
  std::array<std::string_view, 2> placeholders;
};

constexpr std::array<Endpoint, 27> kEndpoints{{
    {ClientAPIPath::CreateSession, Method::POST, "/api/client/session", {}},
    {ClientAPIPath::LookUpSession,
     Method::GET,
     "/api/client/session/{session-id}",
     {"{session-id}"}},
    {ClientAPIPath::AddShopperToSession,
     Method::POST,
     "/api/client/session/authenticate-shopper",
     {}},
    {ClientAPIPath::LookUpShopper,
     Method::GET,
     "/api/client/shopper/{shopper-id}",
     {"{shopper-id}"}},
    {ClientAPIPath::LookUpPaymentInstruments,
     Method::GET,
     "/api/client/shopper/{shopper-id}/payment-instruments",
     {"{shopper-id}"}},
    {ClientAPIPath::SetDefaultPaymentInstrument,
     Method::POST,
     "/api/client/shopper/default-payment-instrument",
     {}},
    {ClientAPIPath::GetDefaultPaymentInstrument,
     Method::GET,
     "/api/client/shopper/{shopper-id}/default-payment-instrument",
     {"{shopper-id}"}},
    {ClientAPIPath::FindReceipts,
     Method::GET,
     "/api/client/shopper/{shopper-id}/receipts",
     {"{shopper-id}"}},
    {ClientAPIPath::LookUpLoyaltyPoints,
     Method::GET,
     "/api/client/shopper/{shopper-id}/loyalty",
     {"{shopper-id}"}},
    {ClientAPIPath::UpdateShopperProfile, Method::POST, "/api/client/shopper/profile", {}},
    {ClientAPIPath::LookUpShopperProfile,
     Method::GET,
     "/api/client/shopper/{shopper-id}/profile",
     {"{shopper-id}"}},
    {ClientAPIPath::CreateBasket, Method::POST, "/api/client/basket", {}},
    {ClientAPIPath::AssociateBasket, Method::POST, "/api/client/basket/associate-pos", {}},
    {ClientAPIPath::LookUpBasket, Method::GET, "/api/client/basket/{basket-id}", {"{basket-id}"}},
    {ClientAPIPath::LookUpReceipt,
     Method::GET,
     "/api/client/basket/{basket-id}/receipt",
     {"{basket-id}"}},
    {ClientAPIPath::PreviewPayment, Method::POST, "/api/client/payment-preview", {}},
    {ClientAPIPath::MakePayment, Method::POST, "/api/client/payment", {}},
    {ClientAPIPath::RedeemLoyalty, Method::POST, "/api/client/basket/loyalty", {}},
    {ClientAPIPath::LookUpMostRecentBasket,
     Method::GET,
     "/api/client/basket/most-recent/session/{session-id}",
     {"{session-id}"}},
    {ClientAPIPath::LookUpActiveBaskets,
     Method::GET,
     "/api/client/basket/list-active/session/{session-id}",
     {"{session-id}"}},
    {ClientAPIPath::UpdateBasket, Method::POST, "/api/client/pos/update-basket", {}},
    {ClientAPIPath::GetInstantBuyProductOffer,
     Method::GET,
     "/api/client/pos/product-offer/{qr-data}",
     {"{qr-data}"}},
    {ClientAPIPath::GetSkusForProduct,
     Method::GET,
     "/api/client/pos/skus/merchant/{merchant-id}/product/{merchant-product-id}",
     {"{merchant-id}", "{merchant-product-id}"}},
    {ClientAPIPath::GetSkuAvailability,
     Method::GET,
     "/api/client/pos/sku-availability/merchant/{merchant-id}/sku/{sku}",
     {"{merchant-id}", "{sku}"}},
    {ClientAPIPath::PosCompleteScan, Method::POST, "/api/client/pos/complete-scan", {}},
    {ClientAPIPath::PosReadyForPayment, Method::POST, "/api/client/pos/ready-for-payment", {}},
    {ClientAPIPath::ProvisionPaymentInstru,
     Method::POST,
     "/api/client/provision-payment-instrument",
     {}},
}};

const Endpoint& endpointOf(ClientAPIPath path) {
  return kEndpoints[static_cast<std::size_t>(path)];
}

// Replaces every occurrence, scanning on past each inserted value.
void replaceAll(std::string& text, std::string_view placeholder, const std::string& value) {
  for (auto at = text.find(placeholder); at != std::string::npos;
       at = text.find(placeholder, at + value.size())) {
    text.replace(at, placeholder.size(), value);
  }
}

// Whether the path holds a "." or ".." segment, which the platform's server would resolve against
// the segments before it: a scanned code or an id could then aim a signed request at another
// endpoint. The templates hold none, so any such segment came from a value.
bool holdsDotSegment(std::string_view path) {
  for (std::size_t start = 0; start <= path.size();) {
    const auto end = std::min(path.find('/', start), path.size());
    const auto segment = path.substr(start, end - start);
    if (segment == "." || segment == "..") {
      return true;
    }
    start = end + 1;
  }
  return false;
}

}  // namespace

std::string_view rawValue(ClientAPIPath path) {
  return endpointOf(path).pathTemplate;
}

std::optional<ClientAPIPath> clientAPIPathFromRawValue(std::string_view text) {
  for (const auto& endpoint : kEndpoints) {
    if (endpoint.pathTemplate == text) {
      return endpoint.path;
    }
  }
  return std::nullopt;
}

Expected<Query, Error> getQuery(ClientAPIPath path,
                                const std::vector<std::string>& placeholderValues) {
  const Endpoint& endpoint = endpointOf(path);
  Query query{endpoint.method, std::string(endpoint.pathTemplate), std::nullopt, Encoding::json(),
              ZelvoraAuthorizedAPIService::fromConstants()};
  for (std::size_t i = 0; i < placeholderValues.size(); ++i) {
    replaceAll(query.path, endpoint.placeholders.at(i), placeholderValues[i]);
  }
  if (holdsDotSegment(query.path)) {
    return Error::curl(CURLE_URL_MALFORMAT, std::string(curl_easy_strerror(CURLE_URL_MALFORMAT)) +
                                                ": a value makes a \".\" or \"..\" path segment");
  }
  if (path == ClientAPIPath::GetInstantBuyProductOffer) {
    query.encoding = Encoding::urlEncodedInURL();
    query.pathEncoded = true;
  }
  return query;
}

Query postQuery(ClientAPIPath path, const Json& body) {
  const Endpoint& endpoint = endpointOf(path);
  return {endpoint.method, std::string(endpoint.pathTemplate),
          Parameters{APIHelper::convertBoolToString(body)}, Encoding::json(),
          ZelvoraAuthorizedAPIService::fromConstants()};
}

}  // namespace zelvora
