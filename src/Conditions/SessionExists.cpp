#include "Conditions/SessionExists.hpp"

#include "CoreOperations/ClientOperations/CreateSessionOperation.hpp"
#include "Helpers/StoredIdentifiers.hpp"

namespace zelvora::internal {

std::shared_ptr<CoreOperation> SessionExists::dependency() const {
  return std::make_shared<CreateSessionOperation>(nullptr);
}

std::optional<Error> SessionExists::evaluate(const StoreValues& store) const {
  if (isPresent(sessionIdIn(store)) && store.session->state &&
      store.session->state != Session::State::Reset) {
    return std::nullopt;
  }
  return ZelvoraError::requiredDataNotAvailable(
      ZelvoraError::RequiredDataNotAvailableReason::sessionNotAvailable);
}

}  // namespace zelvora::internal
