#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Reads the shopper's payment instruments and keeps them for the product page.
using GetPaymentInstrumentsOperation =
    ClientOperation<&ClientCore::getPaymentInstruments, AuthenticatedSessionExists,
                    StoreReplyIn<&StoreValues::paymentInstrumentOffers>>;

}  // namespace zelvora::internal
