#pragma once

#include "CoreOperations/CoreOperation.hpp"

#include <zelvora/Completion.hpp>

namespace zelvora::internal {

// An operation that delivers a result of type T to the handler its creator gave it.
template <class T>
class ResultForwardingOperation : public CoreOperation {
 public:
  using Result = T;

  // May be empty: the operation then runs to its end and reports to nobody.
  const Completion<T>& executionHandler() const { return executionHandler_; }

  // The handler receives exactly one call: the value from a successful execution, or the error of
  // whichever step failed (precondition, dependency, Store check, transport, platform).
  void start() final {
    execute([self = shared_from_this(), this](bool, std::optional<Error> error) {
      // A success has already handed its value over.
      if (error) {
        handOver(nullptr, std::move(error));
      }
    });
  }

 protected:
  ResultForwardingOperation(std::shared_ptr<const OperationCondition> condition,
                            Completion<T> executionHandler)
      : CoreOperation(std::move(condition)), executionHandler_(std::move(executionHandler)) {}

  void handOver(std::shared_ptr<T> value, std::optional<Error> error) const {
    if (executionHandler_) {
      executionHandler_(std::move(value), std::move(error));
    }
  }

 private:
  const Completion<T> executionHandler_;
};

}  // namespace zelvora::internal
