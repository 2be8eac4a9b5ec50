#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Reads the session's latest basket for the app; the stored basket stays as it is.
using GetMostRecentBasketOperation =
    ClientOperation<&ClientCore::getMostRecentBasket, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
