#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/MerchantExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Opens a session for this device; the reply becomes the stored session.
using CreateSessionOperation = ClientOperation<&ClientCore::createSession, MerchantExists,
                                               StoreReplyIn<&StoreValues::session>>;

}  // namespace zelvora::internal
