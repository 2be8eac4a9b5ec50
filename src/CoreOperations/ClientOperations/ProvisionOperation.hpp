#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Adds a card to the shopper's wallet, with the app's parameters as they are.
using ProvisionOperation =
    ClientOperation<&ClientCore::provisionPaymentInstrument, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
