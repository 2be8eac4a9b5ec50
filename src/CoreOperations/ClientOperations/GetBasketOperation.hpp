#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Fetches the given basket, or the stored one; the reply becomes the stored basket.
using GetBasketOperation = ClientOperation<&ClientCore::getBasket, AuthenticatedSessionExists,
                                           StoreReplyIn<&StoreValues::basket>>;

}  // namespace zelvora::internal
