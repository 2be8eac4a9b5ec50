#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Opens a basket in the session; it becomes the stored basket.
using CreateBasketOperation = ClientOperation<&ClientCore::createBasket, AuthenticatedSessionExists,
                                              StoreReplyIn<&StoreValues::basket>>;

}  // namespace zelvora::internal
