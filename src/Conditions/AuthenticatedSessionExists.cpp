#include "Conditions/AuthenticatedSessionExists.hpp"

#include <zelvora/models/Session.hpp>

namespace zelvora::internal {

std::optional<Error> AuthenticatedSessionExists::evaluate(const StoreValues& store) const {
  if (store.session && store.session->state == Session::State::Authenticated) {
    return std::nullopt;
  }
  return ZelvoraError::requiredDataNotAvailable(
      ZelvoraError::RequiredDataNotAvailableReason::authenticatedSessionNotAvailable);
}

}  // namespace zelvora::internal
