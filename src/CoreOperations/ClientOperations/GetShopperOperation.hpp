#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Reads the session's shopper.
using GetShopperOperation = ClientOperation<&ClientCore::getShopper, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
