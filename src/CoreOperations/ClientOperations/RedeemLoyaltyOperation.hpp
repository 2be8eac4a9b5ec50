#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Spends loyalty points on the stored basket. The basket in the reply reaches the app only.
using RedeemLoyaltyOperation =
    ClientOperation<&ClientCore::redeemLoyalty, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
