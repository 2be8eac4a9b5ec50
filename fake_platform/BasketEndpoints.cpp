#include <algorithm>
#include <array>

#include "fake_platform/BodyFields.hpp"
#include "fake_platform/Catalog.hpp"
#include "fake_platform/PlatformState.hpp"
#include "fake_platform/Replies.hpp"
#include "fake_platform/Totals.hpp"

namespace zelvora::fake {
namespace {

constexpr std::string_view kPaidState = "complete-transaction";
constexpr std::string_view kCancelledState = "cancel-transaction";
constexpr std::string_view kCollectTag = "reserve-collect";
// Bounds that keep a basket's arithmetic far from overflowing whatever a client sends: at most
// 1,000 items of 1,000 pieces at 100,000,000.00 each, and 100 product offers.
constexpr std::size_t kMaxLineItems = 1000;
constexpr int kMaxQty = 1000;
constexpr std::int64_t kMaxCents = 10'000'000'000;
constexpr std::size_t kMaxProductOffers = 100;
constexpr std::int64_t kMaxPercent = 100;

bool isClosed(const BasketRecord& basket) {
  return basket.state == kPaidState || basket.state == kCancelledState;
}

Totals totalsPaidWith(const BasketRecord& basket, const nlohmann::json& paymentTypeOffers) {
  return totalsOf(basket.items, basket.productOffers, basket.loyaltyPoints, paymentTypeOffers);
}

nlohmann::json totalPayments(const std::string& paymentInstrumentId, const Totals& totals) {
  nlohmann::json payment = totals.toJson();
  payment["payment-instrument-id"] = paymentInstrumentId;
  return nlohmann::json::array({std::move(payment)});
}

nlohmann::json basketJson(const BasketRecord& basket, const Totals& totals) {
  nlohmann::json json = {{"id", basket.id},
                         {"state", basket.state},
                         {"items", basket.items},
                         {"offers", basket.skuOffers},
                         {"product-offers", basket.productOffers},
                         {"tags", basket.tags},
                         {"loyalty-points", basket.loyaltyPoints},
                         {"summary", totals.toJson()},
                         {"reconciled-total", reconciledTotalsOf(basket.items)}};
  if (!basket.fulfillment.is_null()) {
    json["fulfillment"] = basket.fulfillment;
  }
  if (basket.paymentInstrumentId) {
    json["total-payments"] = totalPayments(*basket.paymentInstrumentId, totals);
  }
  return json;
}

// A receipt records the product offers with fewer fields than a basket carries.
nlohmann::json receiptProductOffers(const nlohmann::json& productOffers) {
  static constexpr std::array<std::string_view, 7> kKeys{
      "id", "description", "product-id", "channel", "type", "value", "is-valid"};
  nlohmann::json recorded = nlohmann::json::array();
  for (const auto& offer : productOffers) {
    nlohmann::json entry = nlohmann::json::object();
    for (std::string_view key : kKeys) {
      if (offer.contains(key)) {
        entry[std::string(key)] = offer.at(key);
      }
    }
    recorded.push_back(std::move(entry));
  }
  return recorded;
}

nlohmann::json paymentRecord(const nlohmann::json& instrument, std::int64_t amount) {
  nlohmann::json payment = {{"amount", amount}};
  for (std::string_view key : {"payment-instrument-id", "card-type", "card-issuer", "card-number",
                               "card-expiry-date", "card-alias"}) {
    payment[std::string(key)] = instrument.at(key);
  }
  return payment;
}

const nlohmann::json& objectIn(const nlohmann::json& entry, std::string_view list) {
  if (!entry.is_object()) {
    rejectField(list, "must hold objects");
  }
  return entry;
}

const nlohmann::json* nonNullField(const nlohmann::json& object, std::string_view key) {
  const auto found = object.find(key);
  return found == object.end() || found->is_null() ? nullptr : &*found;
}

// A whole number from 0 to max, when present.
std::optional<std::int64_t> amountWithin(const nlohmann::json& object, std::string_view key,
                                         std::int64_t max) {
  const nlohmann::json* field = nonNullField(object, key);
  if (field == nullptr) {
    return std::nullopt;
  }
  if (!field->is_number_integer() || *field < 0 || *field > max) {
    rejectField(key, "must be a whole number from 0 to " + std::to_string(max));
  }
  return field->get<std::int64_t>();
}

double quantityOf(const nlohmann::json& item) {
  const nlohmann::json* qty = nonNullField(item, "qty");
  if (qty == nullptr) {
    return 1;
  }
  if (!qty->is_number() || !(*qty > 0) || *qty > kMaxQty) {
    rejectField("qty", "must be a number above 0, at most " + std::to_string(kMaxQty));
  }
  return qty->get<double>();
}

// A line item as the basket keeps it: price and name come from the catalogue unless the item
// brings its own, and the quantity defaults to one.
nlohmann::json keptLineItem(const nlohmann::json& entry) {
  const nlohmann::json& item = objectIn(entry, "items");
  const std::string sku = requiredNonEmptyString(item, "sku");
  const fixtures::Sku* known = catalog::findSku(sku);
  const std::optional<std::int64_t> price = amountWithin(item, "price", kMaxCents);
  if (known == nullptr && !price) {
    rejectField("sku", "is not in the catalogue: " + sku);
  }
  const nlohmann::json* name = optionalField(item, "name", nlohmann::json::value_t::string);
  return {{"sku", sku},
          {"qty", quantityOf(item)},
          {"price", price ? *price : known->price},
          {"name", name ? *name : nlohmann::json(known ? std::string(known->name) : sku)}};
}

// A product offer is kept as sent, once the figures the totals read from it are sound.
nlohmann::json keptProductOffer(const nlohmann::json& entry) {
  const nlohmann::json& offer = objectIn(entry, "product-offers");
  const nlohmann::json* type = optionalField(offer, "type", nlohmann::json::value_t::string);
  amountWithin(offer, "value", type && *type == "percent-discount" ? kMaxPercent : kMaxCents);
  return offer;
}

template <class KeepEntry>
auto keptList(std::string_view key, std::size_t maxEntries, KeepEntry keepEntry) {
  return [key, maxEntries, keepEntry](const nlohmann::json& entries) {
    if (entries.size() > maxEntries) {
      rejectField(key, "may hold at most " + std::to_string(maxEntries) + " entries");
    }
    nlohmann::json kept = nlohmann::json::array();
    for (const auto& entry : entries) {
      kept.push_back(keepEntry(entry));
    }
    return kept;
  };
}

nlohmann::json keptTags(const nlohmann::json& tags) {
  for (const auto& tag : tags) {
    if (tag != kCollectTag) {
      rejectField("tags", "may only hold \"reserve-collect\"");
    }
  }
  return tags;
}

template <class Keep>
void replaceIfPresent(nlohmann::json& field, const nlohmann::json& body, std::string_view key,
                      nlohmann::json::value_t type, Keep keep) {
  if (const nlohmann::json* value = optionalField(body, key, type)) {
    field = keep(*value);
  }
}

nlohmann::json basketStateReply(const BasketRecord& basket) {
  return {{"status", basket.state}};
}

}  // namespace

// An open basket is priced for the shopper's default payment instrument, the one the shopper pays
// with unless they pick another; a paid basket for the instrument that paid.
const nlohmann::json& PlatformState::pricingOffers(const BasketRecord& basket) const {
  if (basket.paymentInstrumentId) {
    return basket.paymentTypeOffers;
  }
  const ShopperRecord& shopper = shoppers_.at(basket.shopperId);
  return instrumentOf(shopper, shopper.defaultInstrumentId).at("offers");
}

nlohmann::json PlatformState::basketResource(const BasketRecord& basket) const {
  return basketJson(basket, totalsPaidWith(basket, pricingOffers(basket)));
}

BasketRecord& PlatformState::ownBasket(const Call& call, const std::string& basketId) {
  auto basket = baskets_.find(basketId);
  if (basket == baskets_.end() || basket->second.shopperId != call.shopper->id) {
    throw Rejection{notFound("basket", "Unknown basket " + basketId)};
  }
  return basket->second;
}

BasketRecord& PlatformState::openBasket(const Call& call, const std::string& basketId) {
  BasketRecord& basket = ownBasket(call, basketId);
  if (isClosed(basket)) {
    throw Rejection{conflict("basket-closed", "Basket " + basketId + " is " + basket.state)};
  }
  return basket;
}

std::vector<const BasketRecord*> PlatformState::basketsOfSession(const Call& call) {
  if (call.pathValues.at("session-id") != call.session->id) {
    throw Rejection{notFound("session", "Unknown session " + call.pathValues.at("session-id"))};
  }
  std::vector<const BasketRecord*> baskets;
  for (const auto& [id, basket] : baskets_) {
    if (basket.sessionId == call.session->id) {
      baskets.push_back(&basket);
    }
  }
  std::sort(baskets.begin(), baskets.end(),
            [](const auto* a, const auto* b) { return a->sequence < b->sequence; });
  return baskets;
}

nlohmann::json PlatformState::receiptFor(const BasketRecord& basket,
                                         const nlohmann::json& instrument) {
  const Totals totals = totalsPaidWith(basket, instrument.at("offers"));
  const std::string instrumentId = instrument.at("payment-instrument-id");
  nlohmann::json transaction = {{"merchant-transaction-id", nextId("transaction")},
                                {"status", "completed"}};
  if (basket.posId) {
    transaction["store-id"] = *basket.posId;
  }
  return {{"id", nextId("receipt")},
          {"merchant-id", merchantId_},
          {"created", catalog::nowText()},
          {"items", basket.items},
          {"offers", basket.skuOffers},
          {"product-offers", receiptProductOffers(basket.productOffers)},
          {"payments", nlohmann::json::array({paymentRecord(instrument, totals.paymentTotal)})},
          {"total-payments", totalPayments(instrumentId, totals)},
          {"summary", totals.toJson()},
          {"payment-type-offers", instrument.at("offers")},
          {"transaction-info", std::move(transaction)}};
}

HttpResponse PlatformState::createBasket(const Call& call) {
  const std::string sessionId = requiredString(call.body, "session-id");
  if (sessionId != call.session->id) {
    return notFound("session", "Unknown session " + sessionId);
  }
  BasketRecord basket{.id = nextId("basket"),
                      .sequence = lastId_,
                      .sessionId = sessionId,
                      .shopperId = call.shopper->id};
  return jsonReply(basketResource(baskets_[basket.id] = std::move(basket)));
}

HttpResponse PlatformState::associateBasket(const Call& call) {
  BasketRecord& basket = openBasket(call, requiredString(call.body, "basket-id"));
  const std::string posId = requiredString(call.body, "pos-id");
  const fixtures::PointOfSale* pos = catalog::findPointOfSale(posId);
  if (pos == nullptr) {
    return notFound("pos", "Unknown point of sale " + posId);
  }
  basket.posId = posId;
  basket.state = "associate-pos";
  return jsonReply(
      {{"pos-id", posId},
       {"merchant-pos-label", pos->label},
       {"message", "Basket " + basket.id + " checked in at " + std::string(pos->label)}});
}

HttpResponse PlatformState::lookUpBasket(const Call& call) {
  return jsonReply(basketResource(ownBasket(call, call.pathValues.at("basket-id"))));
}

HttpResponse PlatformState::lookUpReceipt(const Call& call) {
  const BasketRecord& basket = ownBasket(call, call.pathValues.at("basket-id"));
  if (basket.receipt.is_null()) {
    return notFound("receipt", "Basket " + basket.id + " has not been paid");
  }
  nlohmann::json json = basketResource(basket);
  json["payment-instrument-id"] = *basket.paymentInstrumentId;
  json["payment-type-offers"] = basket.paymentTypeOffers;
  json["receipt"] = basket.receipt;
  json["merchant-offers"] = catalog::merchantOffers(merchantId_);
  return jsonReply(json);
}

HttpResponse PlatformState::previewPayment(const Call& call) {
  const BasketRecord& basket = openBasket(call, requiredString(call.body, "basket-id"));
  const nlohmann::json& instrument =
      instrumentOf(*call.shopper, requiredString(call.body, "payment-instrument-id"));
  const Totals totals = totalsPaidWith(basket, instrument.at("offers"));
  nlohmann::json preview = basketJson(basket, totals);
  preview["payment-instrument-id"] = instrument.at("payment-instrument-id");
  preview["payment-type-offers"] = instrument.at("offers");
  preview["total-payments"] = totalPayments(instrument.at("payment-instrument-id"), totals);
  return jsonReply(preview);
}

// Paying closes the basket, spends the loyalty points its receipt credits and earns one point per
// whole currency unit paid.
HttpResponse PlatformState::makePayment(const Call& call) {
  BasketRecord& basket = openBasket(call, requiredString(call.body, "basket-id"));
  const nlohmann::json& instrument =
      instrumentOf(*call.shopper, requiredString(call.body, "payment-instrument-id"));
  if (basket.items.empty()) {
    return parameterError("basket-id", "the basket has no items");
  }
  ShopperRecord& shopper = *call.shopper;
  basket.receipt = receiptFor(basket, instrument);
  basket.paymentInstrumentId = instrument.at("payment-instrument-id");
  basket.paymentTypeOffers = instrument.at("offers");
  basket.state = kPaidState;
  const nlohmann::json& paid = basket.receipt.at("summary");
  const std::int64_t spent =
      std::min(paid.at("loyalty-cents").get<std::int64_t>(), shopper.accruedPoints);
  shopper.accruedPoints += paid.at("payment-total").get<std::int64_t>() / 100 - spent;
  shopper.redeemedPoints += spent;
  shopper.receipts.insert(shopper.receipts.begin(), basket.receipt);
  return jsonReply({{"basket-id", basket.id}, {"status", "ok"}});
}

HttpResponse PlatformState::redeemLoyalty(const Call& call) {
  BasketRecord& basket = openBasket(call, requiredString(call.body, "basket-id"));
  const std::int64_t points = requiredInteger(call.body, "points");
  if (points < 0) {
    return parameterError("points", "must not be negative");
  }
  if (points > call.shopper->accruedPoints) {
    return parameterError("points", "exceeds the accrued points");
  }
  basket.loyaltyPoints = points;
  return jsonReply(basketResource(basket));
}

HttpResponse PlatformState::lookUpMostRecentBasket(const Call& call) {
  const std::vector<const BasketRecord*> baskets = basketsOfSession(call);
  if (baskets.empty()) {
    return notFound("basket", "The session has no basket");
  }
  return jsonReply(basketResource(*baskets.back()));
}

HttpResponse PlatformState::lookUpActiveBaskets(const Call& call) {
  nlohmann::json active = nlohmann::json::array();
  for (const BasketRecord* basket : basketsOfSession(call)) {
    if (!isClosed(*basket)) {
      active.push_back(basketResource(*basket));
    }
  }
  return jsonReply(active);
}

// An update replaces each list it carries; what it leaves out stays as it was. The whole answer
// is made before the basket changes, so that an update refused halfway changes nothing.
HttpResponse PlatformState::updateBasket(const Call& call) {
  BasketRecord& basket = openBasket(call, requiredString(call.body, "basket-id"));
  BasketRecord updated = basket;
  const auto asSent = [](const nlohmann::json& value) { return value; };
  const auto array = nlohmann::json::value_t::array;
  replaceIfPresent(updated.items, call.body, "items", array,
                   keptList("items", kMaxLineItems, keptLineItem));
  replaceIfPresent(updated.skuOffers, call.body, "sku-offers", array, asSent);
  replaceIfPresent(updated.productOffers, call.body, "product-offers", array,
                   keptList("product-offers", kMaxProductOffers, keptProductOffer));
  replaceIfPresent(updated.tags, call.body, "tags", array, keptTags);
  replaceIfPresent(updated.fulfillment, call.body, "fulfillment", nlohmann::json::value_t::object,
                   asSent);
  updated.state = "update-basket";
  HttpResponse answer = jsonReply(basketResource(updated));
  basket = std::move(updated);
  return answer;
}

HttpResponse PlatformState::posCompleteScan(const Call& call) {
  BasketRecord& basket = openBasket(call, requiredString(call.body, "basket-id"));
  basket.state = "complete-scan";
  return jsonReply(basketStateReply(basket));
}

// The product page signals readiness after paying; a closed basket keeps and reports its state.
HttpResponse PlatformState::posReadyForPayment(const Call& call) {
  BasketRecord& basket = ownBasket(call, requiredString(call.body, "basket-id"));
  if (!isClosed(basket)) {
    basket.state = "ready-for-payment";
  }
  return jsonReply(basketStateReply(basket));
}

}  // namespace zelvora::fake
