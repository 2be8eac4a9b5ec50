#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Applies the app's changes to the stored basket; the reply becomes the stored basket.
using UpdateBasketOperation = ClientOperation<&ClientCore::updateBasket, AuthenticatedSessionExists,
                                              StoreReplyIn<&StoreValues::basket>>;

}  // namespace zelvora::internal
