#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Pays the stored basket with one of the shopper's payment instruments.
using PaymentOperation = ClientOperation<&ClientCore::pay, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
