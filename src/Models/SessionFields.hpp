#pragma once

#include "Models/ModelFields.hpp"

namespace zelvora {

// `Session` and `AuthenticatedSession` read and write the same ten keys; only their state
// enumerations differ.
template <class S>
constexpr auto sessionFields() {
  return std::tuple{
      field("merchant-id", &S::merchantId),
      field("device-id", &S::deviceId),
      field("created", &S::created),
      field("state", &S::state),
      field("location-info", &S::locationInfo),
      field("merchant-auth-token", &S::merchantAuthToken),
      field("is-active", &S::isActive),
      field("token", &S::token),
      field("id", &S::id),
      field("shopper-id", &S::shopperId),
  };
}

}  // namespace zelvora
