#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Reads the shopper's profile and keeps it for the product page.
using GetShopperProfileOperation =
    ClientOperation<&ClientCore::getShopperProfile, AuthenticatedSessionExists,
                    StoreReplyIn<&StoreValues::shopperProfile>>;

}  // namespace zelvora::internal
