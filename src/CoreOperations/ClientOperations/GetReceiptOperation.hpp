#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/OperationCondition.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Fetches the stored basket's receipt. It asks for no authenticated session: the stored basket
// is all it needs.
using GetReceiptOperation = ClientOperation<&ClientCore::getReceipt, NoPrecondition>;

}  // namespace zelvora::internal
