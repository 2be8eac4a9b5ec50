#pragma once

#include "Conditions/OperationCondition.hpp"

namespace zelvora::internal {

// A session with an id is stored and has not been reset. When not, a new session is created
// first: the shopper can always be authenticated into a fresh one.
class SessionExists final : public OperationCondition {
 public:
  // A new session creation without a handler: its success shows only in the Store.
  std::shared_ptr<CoreOperation> dependency() const override;
  // The error is never reported, since the dependency always runs in its place.
  std::optional<Error> evaluate(const StoreValues& store) const override;
};

}  // namespace zelvora::internal
