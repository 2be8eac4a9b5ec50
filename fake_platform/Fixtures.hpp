#pragma once

#include <array>
#include <cstdint>
#include <string_view>

// The fixed catalogue every fake platform starts with, so that tests and the demo can name
// products, SKUs and points of sale without asking the server first.
namespace zelvora::fake::fixtures {

inline constexpr std::string_view kProductQrData = "QR-TRAIL-TEE";
inline constexpr std::string_view kProductOfferId = "offer-trail-tee";
inline constexpr std::int64_t kProductOfferCents = 500;
inline constexpr std::string_view kMerchantProductId = "trail-tee";

struct Sku {
  std::string_view sku;
  std::string_view name;
  std::string_view size;
  std::string_view color;
  std::int64_t price;
};
inline constexpr std::array<Sku, 2> kSkus{{
    {"trail-tee-m", "Trail tee, medium", "M", "slate", 2500},
    {"trail-tee-l", "Trail tee, large", "L", "slate", 2700},
}};

struct Store {
  std::string_view name;
  std::string_view address;
  std::string_view zip;
};
inline constexpr std::array<Store, 2> kStores{{
    {"Harbour Street", "12 Harbour Street", "94107"},
    {"Old Mill", "3 Mill Lane", "94110"},
}};

struct PointOfSale {
  std::string_view id;
  std::string_view label;
};
inline constexpr std::array<PointOfSale, 2> kPointsOfSale{{
    {"pos-1", "Checkout 1"},
    {"pos-2", "Checkout 2"},
}};

// Every shopper starts with this balance and earns one point per whole currency unit paid.
inline constexpr std::int64_t kInitialLoyaltyPoints = 500;
// Tax the platform adds on top of the discounted total, in percent.
inline constexpr std::int64_t kTaxPercent = 8;
// The discount that the credit card's payment-type offer grants, in percent.
inline constexpr std::int64_t kCreditCardOfferPercent = 5;

}  // namespace zelvora::fake::fixtures
