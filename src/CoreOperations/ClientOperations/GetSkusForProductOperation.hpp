#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Lists the SKUs of a product offer.
using GetSkusForProductOperation =
    ClientOperation<&ClientCore::getSkusForProduct, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
