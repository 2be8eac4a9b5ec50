#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

#include <zelvora/models/ShopperLoyalty.hpp>

namespace zelvora::internal {

// Keeps the shopper's accrued points for the product page, which redeems all of them; a reply
// without them leaves none kept.
struct StoreAccruedPoints {
  static std::shared_ptr<ShopperLoyalty> record(std::shared_ptr<ShopperLoyalty> loyalty) {
    StoreState::set(&StoreValues::shopperLoyaltyPoints,
                    loyalty ? loyalty->accruedPoints : std::nullopt);
    return loyalty;
  }
};

// Reads the shopper's loyalty points.
using GetLoyaltyOperation =
    ClientOperation<&ClientCore::getLoyalty, AuthenticatedSessionExists, StoreAccruedPoints>;

}  // namespace zelvora::internal
