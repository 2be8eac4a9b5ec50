#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Reads the shopper's default payment instrument.
using GetDefaultPaymentInstrumentOperation =
    ClientOperation<&ClientCore::getShopperDefaultPaymentInstrument, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
