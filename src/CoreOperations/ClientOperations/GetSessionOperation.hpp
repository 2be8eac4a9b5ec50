#pragma once

#include "APIs/ClientCore.hpp"
#include "Conditions/AuthenticatedSessionExists.hpp"
#include "CoreOperations/ClientOperation.hpp"

namespace zelvora::internal {

// Reads the stored session back from the platform for the app; the stored one stays as it is.
using GetSessionOperation = ClientOperation<&ClientCore::getSession, AuthenticatedSessionExists>;

}  // namespace zelvora::internal
