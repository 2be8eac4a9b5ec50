#pragma once

#include "CoreNetworking/Request/Encoding.hpp"
#include "Helpers/Expected.hpp"
#include "Services/ZelvoraAuthorizedAPIService.hpp"

#include <zelvora/Error.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelvora {

// The platform's REST endpoints; each raw value is the endpoint's path template.
enum class ClientAPIPath {
  CreateSession,
  LookUpSession,
  AddShopperToSession,
  LookUpShopper,
  LookUpPaymentInstruments,
  SetDefaultPaymentInstrument,
  GetDefaultPaymentInstrument,
  FindReceipts,
  LookUpLoyaltyPoints,
  UpdateShopperProfile,
  LookUpShopperProfile,
  CreateBasket,
  AssociateBasket,
  LookUpBasket,
  LookUpReceipt,
  PreviewPayment,
  MakePayment,
  RedeemLoyalty,
  LookUpMostRecentBasket,
  LookUpActiveBaskets,
  UpdateBasket,
  GetInstantBuyProductOffer,
  GetSkusForProduct,
  GetSkuAvailability,
  PosCompleteScan,
  PosReadyForPayment,
  ProvisionPaymentInstru,
};

std::string_view rawValue(ClientAPIPath path);
std::optional<ClientAPIPath> clientAPIPathFromRawValue(std::string_view text);

// One endpoint call, built fresh for every call: what the request builder reads.
struct Query {
  Method method = Method::GET;
  std::string path;
  std::optional<Parameters> parameters;
  Encoding encoding = Encoding::json();
  ZelvoraAuthorizedAPIService service;
  // The path's values come percent-encoded by the caller: their escapes go out as they are.
  bool pathEncoded = false;
};

// A call without a body: the template's placeholders, in order, replaced by the values as they
// are (escaping is the address's business; a "/" in a value adds segments). A value that would
// make a "." or ".." segment gives an error of the curl domain (CURLE_URL_MALFORMAT) instead, so
// that no request is sent.
Expected<Query, Error> getQuery(ClientAPIPath endpoint,
                                const std::vector<std::string>& placeholderValues);

// A call whose body is the given JSON object, top-level booleans sent as "true" and "false".
Query postQuery(ClientAPIPath endpoint, const Json& body);

}  // namespace zelvora
