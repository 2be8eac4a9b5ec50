#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Prices the stored basket as paid with one of the shopper's payment instruments.
using PaymentPreviewOperation =
    ClientOperation<&ClientCore::paymentPreview, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
