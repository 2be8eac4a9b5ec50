#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Makes one of the shopper's payment instruments the default.
using SetDefaultPaymentInstrumentOperation =
    ClientOperation<&ClientCore::setDefaultPaymentInstrument, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
