#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Sends the app's profile changes for the session's shopper. The kept profile is not refreshed:
// the reply holds only what was changed.
using UpdateShopperProfileOperation =
    ClientOperation<&ClientCore::updateShopperProfile, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
