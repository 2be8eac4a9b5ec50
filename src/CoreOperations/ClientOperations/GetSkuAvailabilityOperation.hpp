#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Reads where a SKU is in stock.
using GetSkuAvailabilityOperation =
    ClientOperation<&ClientCore::getSkuAvailability, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
