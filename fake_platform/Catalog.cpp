#include "fake_platform/Catalog.hpp"

#include <algorithm>
#include <cstdio>
#include <ctime>

namespace zelvora::fake::catalog {
namespace {

template <class Fixture, std::size_t count>
const Fixture* findById(const std::array<Fixture, count>& fixtures, std::string_view id,
                        std::string_view Fixture::*idField) {
  auto found = std::find_if(fixtures.begin(), fixtures.end(),
                            [&](const Fixture& fixture) { return fixture.*idField == id; });
  return found == fixtures.end() ? nullptr : &*found;
}

nlohmann::json card(std::string id, std::string_view number, std::string_view alias,
                    std::string_view type, nlohmann::json offers) {
  return {{"payment-instrument-id", std::move(id)},
          {"card-number", number},
          {"card-alias", alias},
          {"card-type", type},
          {"card-issuer", kCardIssuer},
          {"card-expiry-date", "12/29"},
          {"card-image-url", "https://images.platform.test/cards/" + std::string(type) + ".png"},
          {"is-expired", false},
          {"offers", std::move(offers)}};
}

nlohmann::json creditCardOffer(std::string_view merchantId) {
  return {{"id", "pto-credit"},
          {"title", "Credit card saving"},
          {"description", "A little off every basket paid by credit card"},
          {"image-url", "https://images.platform.test/offers/credit.png"},
          {"merchant-id", merchantId},
          {"payment-type", "credit"},
          {"discount-pct", fixtures::kCreditCardOfferPercent},
          {"discount-cents", 0},
          {"redemptions-allowed", 100},
          {"is-active", true},
          {"created", kCatalogueDate}};
}

nlohmann::json address(std::string_view addr1, std::string_view zipcode) {
  return {{"addr1", addr1},
          {"addr2", ""},
          {"city", "San Francisco"},
          {"state", "CA"},
          {"zipcode", zipcode}};
}

}  // namespace

std::string dateText(std::chrono::system_clock::time_point time) {
  const auto sinceEpoch = time.time_since_epoch();
  const std::time_t seconds = std::chrono::duration_cast<std::chrono::seconds>(sinceEpoch).count();
  const auto millis =
      std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
  std::tm utc{};
  gmtime_r(&seconds, &utc);
  char text[32];
  const std::size_t length = std::strftime(text, sizeof text, "%Y-%m-%dT%H:%M:%S", &utc);
  char fraction[8];
  std::snprintf(fraction, sizeof fraction, ".%03dZ", static_cast<int>(millis));
  return std::string(text, length) + fraction;
}

std::string nowText() {
  return dateText(std::chrono::system_clock::now());
}

const fixtures::Sku* findSku(std::string_view sku) {
  return findById(fixtures::kSkus, sku, &fixtures::Sku::sku);
}

const fixtures::PointOfSale* findPointOfSale(std::string_view posId) {
  return findById(fixtures::kPointsOfSale, posId, &fixtures::PointOfSale::id);
}

nlohmann::json productOffer(std::string_view merchantId) {
  return {{"id", fixtures::kProductOfferId},
          {"product-id", fixtures::kMerchantProductId},
          {"merchant-id", merchantId},
          {"description", "Trail tee: 5.00 off when bought in store"},
          {"image-url", "https://images.platform.test/products/trail-tee.png"},
          {"offer-url", "https://offers.platform.test/trail-tee"},
          {"context", "in-store"},
          {"channel", "print"},
          {"type", "fixed-discount"},
          {"value", fixtures::kProductOfferCents},
          {"is-free-shipping", true},
          {"is-valid", true},
          {"start-time", kCatalogueDate},
          {"stop-time", "2030-12-31T23:59:59.000Z"},
          {"created", kCatalogueDate},
          {"updated", kCatalogueDate}};
}

nlohmann::json productsOfferedBy(std::string_view merchantId) {
  nlohmann::json products = nlohmann::json::array();
  for (const auto& sku : fixtures::kSkus) {
    products.push_back({{"id", "product-" + std::string(sku.sku)},
                        {"sku", sku.sku},
                        {"name", sku.name},
                        {"description", "Organic cotton tee for long walks"},
                        {"image-url", "https://images.platform.test/products/trail-tee.png"},
                        {"swatch-image-url", "https://images.platform.test/swatches/slate.png"},
                        {"merchant-id", merchantId},
                        {"merchant-product-id", fixtures::kMerchantProductId},
                        {"price", sku.price},
                        {"product-features", {{"size", sku.size}, {"color", sku.color}}}});
  }
  return products;
}

nlohmann::json availabilityOf(const fixtures::Sku& sku, std::string_view merchantId) {
  nlohmann::json stores = nlohmann::json::array();
  for (const auto& store : fixtures::kStores) {
    stores.push_back({{"name", store.name}, {"address", store.address}, {"zip", store.zip}});
  }
  return {{"sku", sku.sku},
          {"merchant-id", merchantId},
          {"is-in-stock", true},
          {"qty", 12},
          {"is-bopus", true},
          {"pay-in-store", true},
          {"created", kCatalogueDate},
          {"updated", kCatalogueDate},
          {"stores", std::move(stores)}};
}

nlohmann::json startingInstruments(std::string_view shopperId, std::string_view merchantId) {
  const std::string prefix(shopperId);
  return nlohmann::json::array(
      {card(prefix + "-card-1", "************1881", "Travel credit", "credit",
            nlohmann::json::array({creditCardOffer(merchantId)})),
       card(prefix + "-card-2", "************4242", "Everyday debit", "debit",
            nlohmann::json::array())});
}

nlohmann::json startingProfile(std::string_view shopperId, std::string_view merchantShopperId,
                               std::string_view paymentInstrumentId) {
  return {{"id", shopperId},
          {"first-name", "Robin"},
          {"last-name", "Marsh"},
          {"email", std::string(merchantShopperId) + "@shoppers.platform.test"},
          {"phone", "+1 415 555 0134"},
          {"payment-instrument-id", paymentInstrumentId},
          {"shipping-address", address("48 Pier Road", "94107")},
          {"billing-address", address("48 Pier Road", "94107")},
          {"updated", kCatalogueDate}};
}

nlohmann::json merchantOffers(std::string_view merchantId) {
  return nlohmann::json::array({{{"id", "thank-you-offer"},
                                 {"merchant-id", merchantId},
                                 {"title", "Thank you"},
                                 {"description", "10% off your next visit"},
                                 {"offer", "NEXT10"},
                                 {"is-active", true},
                                 {"created", kCatalogueDate}}});
}

}  // namespace zelvora::fake::catalog
