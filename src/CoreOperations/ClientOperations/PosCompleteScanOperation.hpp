#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Tells the point of sale that the stored basket's items are all scanned.
using PosCompleteScanOperation =
    ClientOperation<&ClientCore::postCompleteScan, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
