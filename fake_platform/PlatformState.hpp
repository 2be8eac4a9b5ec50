#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "fake_platform/Http.hpp"
#include "fake_platform/Records.hpp"

namespace zelvora::fake {

// One event frame for the event sockets of a device.
struct PushedEvent {
  std::string deviceId;
  std::string text;
};

// The platform's records (sessions, shoppers, wallets, baskets, receipts) and the 27 endpoints
// that read and change them. Not synchronised: its owner locks.
class PlatformState {
 public:
  explicit PlatformState(std::string merchantId);

  // Answers a request whose signing headers have already been accepted.
  HttpResponse handle(const HttpRequest& request);

  std::optional<std::string> shopperIdFor(std::string_view merchantShopperId) const;
  std::vector<std::string> paymentInstrumentIds(std::string_view shopperId) const;
  std::optional<std::string> basketState(std::string_view basketId) const;

  // The events the platform pushes to a device's event socket once a request has succeeded: the
  // changed basket after a basket update or a completed scan, the post-purchase offer after a
  // payment, and the receipt once the point of sale reports a paid basket ready.
  std::vector<PushedEvent> eventsAfter(const HttpRequest& request) const;
  // The point of sale cancels an open basket; the event that tells the device, if the basket is
  // known and open.
  std::optional<PushedEvent> cancelTransaction(std::string_view basketId);

 private:
  struct Call {
    std::map<std::string, std::string> pathValues;
    nlohmann::json body;
    SessionRecord* session = nullptr;
    ShopperRecord* shopper = nullptr;
  };

  enum class Access { anyone, session, shopper };
  using Handler = HttpResponse (PlatformState::*)(const Call&);
  struct Route {
    std::string_view method;
    std::string_view pathTemplate;
    Access access;
    Handler handler;
  };
  static const std::array<Route, 27> kRoutes;

  // Sessions
  HttpResponse createSession(const Call& call);
  HttpResponse lookUpSession(const Call& call);
  HttpResponse addShopperToSession(const Call& call);
  // Shoppers and their wallets
  HttpResponse lookUpShopper(const Call& call);
  HttpResponse lookUpPaymentInstruments(const Call& call);
  HttpResponse setDefaultPaymentInstrument(const Call& call);
  HttpResponse getDefaultPaymentInstrument(const Call& call);
  HttpResponse findReceipts(const Call& call);
  HttpResponse lookUpLoyaltyPoints(const Call& call);
  HttpResponse updateShopperProfile(const Call& call);
  HttpResponse lookUpShopperProfile(const Call& call);
  HttpResponse provisionPaymentInstrument(const Call& call);
  // Baskets and payments
  HttpResponse createBasket(const Call& call);
  HttpResponse associateBasket(const Call& call);
  HttpResponse lookUpBasket(const Call& call);
  HttpResponse lookUpReceipt(const Call& call);
  HttpResponse previewPayment(const Call& call);
  HttpResponse makePayment(const Call& call);
  HttpResponse redeemLoyalty(const Call& call);
  HttpResponse lookUpMostRecentBasket(const Call& call);
  HttpResponse lookUpActiveBaskets(const Call& call);
  HttpResponse updateBasket(const Call& call);
  HttpResponse posCompleteScan(const Call& call);
  HttpResponse posReadyForPayment(const Call& call);
  // Catalogue
  HttpResponse getInstantBuyProductOffer(const Call& call);
  HttpResponse getSkusForProduct(const Call& call);
  HttpResponse getSkuAvailability(const Call& call);

  Call callFor(const Route& route, const HttpRequest& request,
               std::map<std::string, std::string> pathValues);
  std::string nextId(std::string_view prefix);

  nlohmann::json sessionJson(const SessionRecord& session) const;
  ShopperRecord& shopperSignedInAs(const std::string& merchantShopperId);
  BasketRecord& ownBasket(const Call& call, const std::string& basketId);
  BasketRecord& openBasket(const Call& call, const std::string& basketId);
  std::vector<const BasketRecord*> basketsOfSession(const Call& call);
  nlohmann::json receiptFor(const BasketRecord& basket, const nlohmann::json& instrument);
  void checkMerchant(const std::string& merchantId) const;
  std::string deviceOfBasket(const BasketRecord& basket) const;
  const nlohmann::json& pricingOffers(const BasketRecord& basket) const;
  nlohmann::json basketResource(const BasketRecord& basket) const;

  std::string merchantId_;
  std::uint64_t lastId_ = 0;
  std::map<std::string, SessionRecord, std::less<>> sessions_;
  std::map<std::string, std::string, std::less<>> sessionIdByToken_;
  std::map<std::string, ShopperRecord, std::less<>> shoppers_;
  std::map<std::string, std::string, std::less<>> shopperIdByMerchantShopperId_;
  std::map<std::string, BasketRecord, std::less<>> baskets_;
};

}  // namespace zelvora::fake
