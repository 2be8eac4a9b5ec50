#pragma once

#include "Helpers/StoreState.hpp"

#include <zelvora/Error.hpp>

#include <memory>
#include <optional>
#include <type_traits>

namespace zelvora::internal {

class CoreOperation;

// What must hold in the Store before an operation may run. Conditions are stateless.
class OperationCondition {
 public:
  virtual ~OperationCondition() = default;

  // The operation that makes the condition hold, run in its place when it does not; absent when
  // there is none and the failure is final.
  virtual std::shared_ptr<CoreOperation> dependency() const = 0;

  // Absent when the condition holds on these Store values, else the error that says why not.
  virtual std::optional<Error> evaluate(const StoreValues& store) const = 0;
};

// For the operations that go straight to their own checks.
struct NoPrecondition {};

// A new condition object per operation, or none.
template <class Precondition>
std::shared_ptr<const OperationCondition> makeCondition() {
  if constexpr (std::is_same_v<Precondition, NoPrecondition>) {
    return nullptr;
  } else {
    return std::make_shared<const Precondition>();
  }
}

}  // namespace zelvora::internal
