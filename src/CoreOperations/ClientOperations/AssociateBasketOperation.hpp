#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Checks the stored basket in at a point of sale.
using AssociateBasketOperation =
    ClientOperation<&ClientCore::associateBasket, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
