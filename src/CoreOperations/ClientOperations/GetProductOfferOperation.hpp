#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Looks up the product offer behind a scanned QR code.
using GetProductOfferOperation =
    ClientOperation<&ClientCore::getProductOffer, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
