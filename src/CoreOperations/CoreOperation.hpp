#pragma once

#include "Conditions/OperationCondition.hpp"
#include "Helpers/StoreState.hpp"

#include <zelvora/Error.hpp>

#include <functional>
#include <memory>
#include <optional>

namespace zelvora::internal {

// The work behind one public call: a precondition on the Store and the operation's own execution.
// An operation is started once and kept alive only by the callbacks it has handed out, so it is
// released as soon as its reply has been handled. Always owned by a std::shared_ptr.
class CoreOperation : public std::enable_shared_from_this<CoreOperation> {
 public:
  // (true, no error) on success, (false, the error) on failure.
  using ExecutionCompletion = std::function<void(bool success, std::optional<Error> error)>;

  CoreOperation(const CoreOperation&) = delete;
  CoreOperation& operator=(const CoreOperation&) = delete;
  virtual ~CoreOperation() = default;

  // Absent when the operation has no precondition.
  const std::shared_ptr<const OperationCondition>& condition() const { return condition_; }

  // Begins the operation; its outcome goes to the handler its creator gave it.
  virtual void start() = 0;

  // Runs the execution when the precondition holds. When it does not and it names a dependency,
  // runs that first (through its own execute) and then the execution, without checking again; a
  // failing dependency's error is what is reported. Calls the completion exactly once: before it
  // returns when a check fails, else later, on the main queue.
  void execute(ExecutionCompletion completion);

 protected:
  explicit CoreOperation(std::shared_ptr<const OperationCondition> condition)
      : condition_(std::move(condition)) {}

 private:
  // The operation's own work on the Store values of the moment it begins: its checks, the request,
  // and on the reply the Store write and the handler. Calls the completion exactly once, after the
  // handler when it succeeds; never calls the handler with an error.
  virtual void execution(const StoreValues& store, ExecutionCompletion completion) = 0;

  void executeAfter(const std::shared_ptr<CoreOperation>& dependency,
                    ExecutionCompletion completion);

  const std::shared_ptr<const OperationCondition> condition_;
};

}  // namespace zelvora::internal
