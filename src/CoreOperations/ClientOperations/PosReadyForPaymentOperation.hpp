#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Tells the point of sale that the stored basket is ready for payment.
using PosReadyForPaymentOperation =
    ClientOperation<&ClientCore::posReadyForPayment, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
