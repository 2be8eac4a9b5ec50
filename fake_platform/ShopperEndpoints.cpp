#include <algorithm>
#include <array>

#include "fake_platform/BodyFields.hpp"
#include "fake_platform/Catalog.hpp"
#include "fake_platform/PlatformState.hpp"
#include "fake_platform/Replies.hpp"

namespace zelvora::fake {
namespace {

constexpr std::array<std::string_view, 4> kCardTypes{"credit", "charge-card", "gift-card", "debit"};
struct EditableField {
  std::string_view key;
  nlohmann::json::value_t type;
};
constexpr std::array<EditableField, 7> kEditableProfileFields{{
    {"first-name", nlohmann::json::value_t::string},
    {"last-name", nlohmann::json::value_t::string},
    {"email", nlohmann::json::value_t::string},
    {"phone", nlohmann::json::value_t::string},
    {"payment-instrument-id", nlohmann::json::value_t::string},
    {"shipping-address", nlohmann::json::value_t::object},
    {"billing-address", nlohmann::json::value_t::object},
}};

std::string maskedCardNumber(const std::string& cardNumber) {
  const std::size_t shown = std::min<std::size_t>(4, cardNumber.size());
  return std::string(12, '*') + cardNumber.substr(cardNumber.size() - shown);
}

std::string provisionedCardType(const nlohmann::json& body) {
  const nlohmann::json* type = optionalField(body, "card-type", nlohmann::json::value_t::string);
  if (type == nullptr) {
    return "credit";
  }
  if (std::find(kCardTypes.begin(), kCardTypes.end(), type->get<std::string>()) ==
      kCardTypes.end()) {
    throw Rejection{parameterError("card-type", "is not a known card type")};
  }
  return *type;
}

std::string optionalText(const nlohmann::json& body, std::string_view key, std::string fallback) {
  const nlohmann::json* text = optionalField(body, key, nlohmann::json::value_t::string);
  return text == nullptr ? fallback : text->get<std::string>();
}

// The profile as the update call answers it: the editable fields and the shopper's id.
nlohmann::json profileUpdateJson(const nlohmann::json& profile) {
  nlohmann::json update = {{"shopper-id", profile.at("id")}};
  for (const EditableField& field : kEditableProfileFields) {
    if (profile.contains(field.key)) {
      update[std::string(field.key)] = profile.at(field.key);
    }
  }
  return update;
}

// Shoppers may only read and change their own records.
ShopperRecord& sameShopper(ShopperRecord& caller, const std::string& shopperId) {
  if (shopperId != caller.id) {
    throw Rejection{notFound("shopper", "Unknown shopper " + shopperId)};
  }
  return caller;
}

nlohmann::json instrumentJson(const ShopperRecord& shopper, const nlohmann::json& instrument) {
  nlohmann::json json = instrument;
  json["default"] = instrument.at("payment-instrument-id") == shopper.defaultInstrumentId;
  return json;
}

void setDefaultInstrument(ShopperRecord& shopper, const std::string& paymentInstrumentId) {
  instrumentOf(shopper, paymentInstrumentId);
  shopper.defaultInstrumentId = paymentInstrumentId;
  shopper.profile["payment-instrument-id"] = paymentInstrumentId;
}

}  // namespace

// A shopper signs in through the merchant: the first sign-in opens a wallet with two cards, a
// loyalty balance and one past receipt.
ShopperRecord& PlatformState::shopperSignedInAs(const std::string& merchantShopperId) {
  auto known = shopperIdByMerchantShopperId_.find(merchantShopperId);
  if (known != shopperIdByMerchantShopperId_.end()) {
    return shoppers_.at(known->second);
  }
  ShopperRecord shopper{nextId("shopper"), merchantShopperId};
  shopper.instruments = catalog::startingInstruments(shopper.id, merchantId_);
  shopper.defaultInstrumentId = shopper.instruments.at(0).at("payment-instrument-id");
  shopper.profile =
      catalog::startingProfile(shopper.id, merchantShopperId, shopper.defaultInstrumentId);
  shopper.accruedPoints = fixtures::kInitialLoyaltyPoints;
  BasketRecord pastPurchase{.id = nextId("basket"), .shopperId = shopper.id};
  const fixtures::Sku& sku = fixtures::kSkus.front();
  pastPurchase.items.push_back(
      {{"sku", sku.sku}, {"qty", 1.0}, {"price", sku.price}, {"name", sku.name}});
  nlohmann::json pastReceipt = receiptFor(pastPurchase, shopper.instruments.at(1));
  pastReceipt["created"] = catalog::kCatalogueDate;
  shopper.receipts.push_back(std::move(pastReceipt));
  shopperIdByMerchantShopperId_[merchantShopperId] = shopper.id;
  return shoppers_[shopper.id] = std::move(shopper);
}

HttpResponse PlatformState::lookUpShopper(const Call& call) {
  const ShopperRecord& shopper = sameShopper(*call.shopper, call.pathValues.at("shopper-id"));
  nlohmann::json instrumentIds = nlohmann::json::array();
  for (const auto& instrument : shopper.instruments) {
    instrumentIds.push_back(instrument.at("payment-instrument-id"));
  }
  return jsonReply({{"id", shopper.id},
                    {"merchant-id", merchantId_},
                    {"merchant-shopper-id", shopper.merchantShopperId},
                    {"wallet-id", "wallet-" + shopper.id},
                    {"default-payment-instrument-id", shopper.defaultInstrumentId},
                    {"payment-instruments", std::move(instrumentIds)}});
}

// The default instrument comes first, the others in the order they joined the wallet.
HttpResponse PlatformState::lookUpPaymentInstruments(const Call& call) {
  const ShopperRecord& shopper = sameShopper(*call.shopper, call.pathValues.at("shopper-id"));
  nlohmann::json instruments = nlohmann::json::array();
  for (const auto& instrument : shopper.instruments) {
    instruments.push_back(instrumentJson(shopper, instrument));
  }
  std::stable_partition(
      instruments.begin(), instruments.end(),
      [](const nlohmann::json& instrument) { return instrument.at("default").get<bool>(); });
  return jsonReply(instruments);
}

HttpResponse PlatformState::setDefaultPaymentInstrument(const Call& call) {
  ShopperRecord& shopper = sameShopper(*call.shopper, requiredString(call.body, "shopper-id"));
  const std::string instrumentId = requiredString(call.body, "payment-instrument-id");
  setDefaultInstrument(shopper, instrumentId);
  return jsonReply(
      {{"shopper-id", shopper.id}, {"payment-instrument-id", instrumentId}, {"default", true}});
}

HttpResponse PlatformState::getDefaultPaymentInstrument(const Call& call) {
  const ShopperRecord& shopper = sameShopper(*call.shopper, call.pathValues.at("shopper-id"));
  return jsonReply(instrumentJson(shopper, instrumentOf(shopper, shopper.defaultInstrumentId)));
}

HttpResponse PlatformState::findReceipts(const Call& call) {
  return jsonReply(
      {{"receipts", sameShopper(*call.shopper, call.pathValues.at("shopper-id")).receipts}});
}

HttpResponse PlatformState::lookUpLoyaltyPoints(const Call& call) {
  const ShopperRecord& shopper = sameShopper(*call.shopper, call.pathValues.at("shopper-id"));
  return jsonReply({{"shopper-id", shopper.id},
                    {"accrued-points", shopper.accruedPoints},
                    {"redeemed-points", shopper.redeemedPoints}});
}

HttpResponse PlatformState::updateShopperProfile(const Call& call) {
  ShopperRecord& shopper = sameShopper(*call.shopper, requiredString(call.body, "shopper-id"));
  nlohmann::json changes = nlohmann::json::object();
  for (const EditableField& field : kEditableProfileFields) {
    if (const nlohmann::json* value = optionalField(call.body, field.key, field.type)) {
      changes[std::string(field.key)] = *value;
    }
  }
  if (changes.contains("payment-instrument-id")) {
    setDefaultInstrument(shopper, changes.at("payment-instrument-id").get<std::string>());
  }
  shopper.profile.update(changes);
  shopper.profile["updated"] = catalog::nowText();
  return jsonReply(profileUpdateJson(shopper.profile));
}

HttpResponse PlatformState::lookUpShopperProfile(const Call& call) {
  return jsonReply(sameShopper(*call.shopper, call.pathValues.at("shopper-id")).profile);
}

HttpResponse PlatformState::provisionPaymentInstrument(const Call& call) {
  ShopperRecord& shopper = *call.shopper;
  const std::string cardNumber = requiredNonEmptyString(call.body, "card-number");
  const std::string masked = maskedCardNumber(cardNumber);
  const std::string id = shopper.id + "-provisioned-" + std::to_string(++shopper.provisionedCards);
  shopper.instruments.push_back(
      {{"payment-instrument-id", id},
       {"card-number", masked},
       {"card-alias", optionalText(call.body, "card-alias", "Card ending " + masked.substr(12))},
       {"card-type", provisionedCardType(call.body)},
       {"card-issuer", optionalText(call.body, "card-issuer", std::string(catalog::kCardIssuer))},
       {"card-expiry-date", optionalText(call.body, "card-expiry-date", "")},
       {"card-image-url", "https://images.platform.test/cards/provisioned.png"},
       {"is-expired", false},
       {"offers", nlohmann::json::array()}});
  return jsonReply({{"wallet-id", "wallet-" + shopper.id}, {"payment-instrument-id", id}});
}

}  // namespace zelvora::fake
