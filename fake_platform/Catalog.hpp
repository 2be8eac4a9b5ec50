#pragma once

#include <chrono>
#include <string>
#include <string_view>

#include <nlohmann/json.hpp>

#include "fake_platform/Fixtures.hpp"

// The fixtures rendered as the platform's JSON resources.
namespace zelvora::fake::catalog {

inline constexpr std::string_view kCardIssuer = "Harbour Bank";
// When the catalogue's own records were made and last changed, and the shoppers' past purchase.
inline constexpr std::string_view kCatalogueDate = "2025-01-06T09:00:00.000Z";

// Dates as the platform writes them: "2025-01-06T09:00:00.000Z".
std::string dateText(std::chrono::system_clock::time_point time);
std::string nowText();

const fixtures::Sku* findSku(std::string_view sku);
const fixtures::PointOfSale* findPointOfSale(std::string_view posId);

nlohmann::json productOffer(std::string_view merchantId);
nlohmann::json productsOfferedBy(std::string_view merchantId);
nlohmann::json availabilityOf(const fixtures::Sku& sku, std::string_view merchantId);

// The two cards every new shopper holds: a credit card with a payment-type offer, and a debit
// card. Ids start with the shopper's id.
nlohmann::json startingInstruments(std::string_view shopperId, std::string_view merchantId);
nlohmann::json startingProfile(std::string_view shopperId, std::string_view merchantShopperId,
                               std::string_view paymentInstrumentId);
nlohmann::json merchantOffers(std::string_view merchantId);

}  // namespace zelvora::fake::catalog
