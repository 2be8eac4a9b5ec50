#include "Conditions/MerchantExists.hpp"

#include "Helpers/StoredIdentifiers.hpp"

namespace zelvora::internal {

std::optional<Error> MerchantExists::evaluate(const StoreValues& store) const {
  if (isPresent(store.merchantId)) {
    return std::nullopt;
  }
  return ZelvoraError::requiredDataNotAvailable(
      ZelvoraError::RequiredDataNotAvailableReason::merchantIdNotAvailable);
}

}  // namespace zelvora::internal
