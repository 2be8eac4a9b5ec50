#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Lists the session's open baskets.
using GetActiveBasketsOperation =
    ClientOperation<&ClientCore::getActiveBaskets, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
