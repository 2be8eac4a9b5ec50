#pragma once

#include "Conditions/OperationCondition.hpp"

namespace zelvora::internal {

// A shopper has been authenticated into the stored session. Only the app can do that, with its
// shopper's credentials, so there is no dependency to run.
class AuthenticatedSessionExists final : public OperationCondition {
 public:
  std::shared_ptr<CoreOperation> dependency() const override { return nullptr; }
  // The session's id is left to the operation's own checks.
  std::optional<Error> evaluate(const StoreValues& store) const override;
};

}  // namespace zelvora::internal
