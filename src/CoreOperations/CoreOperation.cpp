#include "CoreOperations/CoreOperation.hpp"

namespace zelvora::internal {

void CoreOperation::execute(ExecutionCompletion completion) {
  // One read of the Store serves the precondition and the execution's own checks alike.
  const StoreValues store = StoreState::snapshot();
  auto unmet = condition_ ? condition_->evaluate(store) : std::nullopt;
  if (!unmet) {
    execution(store, std::move(completion));
    return;
  }
  if (auto dependency = condition_->dependency()) {
    executeAfter(dependency, std::move(completion));
    return;
  }
  completion(false, std::move(unmet));
}

void CoreOperation::executeAfter(const std::shared_ptr<CoreOperation>& dependency,
                                 ExecutionCompletion completion) {
  dependency->execute([self = shared_from_this(), completion = std::move(completion)](
                          bool, std::optional<Error> error) {
    if (error) {
      completion(false, std::move(error));
      return;
    }
    // The dependency has just changed the Store: read it afresh.
    self->execution(StoreState::snapshot(), completion);
  });
}

}  // namespace zelvora::internal
