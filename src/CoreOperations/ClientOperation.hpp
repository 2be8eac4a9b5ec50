#pragma once

#include "CoreOperations/ResultForwardingOperation.hpp"
#include "Helpers/StoreState.hpp"

#include <zelvora/Completion.hpp>

#include <functional>
#include <memory>
#include <optional>
#include <tuple>
#include <type_traits>
#include <utility>

namespace zelvora::internal {

// What a successful reply does before the handler sees it, when nothing is stored: the handler
// receives the reply as it came, absent included.
struct HandOverReply {
  template <class Reply>
  static std::shared_ptr<Reply> record(std::shared_ptr<Reply> reply) {
    return reply;
  }
};

// A successful reply replaces one Store value (a value-less reply clears it), then reaches the
// handler, which therefore finds the Store already in step. The Store keeps a copy of its own,
// so the reply the handler receives is the app's alone.
template <auto field>
struct StoreReplyIn {
  template <class Reply>
  static std::shared_ptr<Reply> record(std::shared_ptr<Reply> reply) {
    StoreState::set(field, reply);
    return reply;
  }
};

template <class C>
struct CompletionValue;
template <class T>
struct CompletionValue<Completion<T>> {
  using type = T;
};

// The types around one ClientCore function `void f(const StoreValues&, Arguments...,
// Completion<R>)`: the reply R, and the result that OnSuccess makes of it for the handler.
template <auto clientCoreCall, class OnSuccess>
struct ClientCallTypes;
template <class... Parameters, void (*clientCoreCall)(Parameters...), class OnSuccess>
struct ClientCallTypes<clientCoreCall, OnSuccess> {
  using Reply =
      typename CompletionValue<std::tuple_element_t<sizeof...(Parameters) - 1,
                                                    std::tuple<std::decay_t<Parameters>...>>>::type;
  using Result =
      typename decltype(OnSuccess::record(std::declval<std::shared_ptr<Reply>>()))::element_type;
};

// The operation of one public call: its precondition, its ClientCore function (the Store checks,
// the request model and the endpoint), and what a successful reply does (OnSuccess::record, which
// writes the Store and gives the handler its value, and, when it has one,
// OnSuccess::afterHandOver, an effect that follows the handler).
template <auto clientCoreCall, class Precondition, class OnSuccess = HandOverReply>
class ClientOperation final : public ResultForwardingOperation<
                                  typename ClientCallTypes<clientCoreCall, OnSuccess>::Result> {
  using Types = ClientCallTypes<clientCoreCall, OnSuccess>;
  using Reply = typename Types::Reply;
  using Base = ResultForwardingOperation<typename Types::Result>;

 public:
  // The call's own arguments, as the ClientCore function takes them after the Store; they are kept
  // unchanged. A model the app passed is held, not copied: the request body is encoded from it
  // before the public call returns, so nothing the app changes later reaches the request.
  template <class... Arguments>
  explicit ClientOperation(Completion<typename Types::Result> executionHandler,
                           Arguments... arguments)
      : Base(makeCondition<Precondition>(), std::move(executionHandler)),
        call_([... arguments = std::move(arguments)](const StoreValues& store,
                                                     Completion<Reply> reply) {
          clientCoreCall(store, arguments..., std::move(reply));
        }) {}

 private:
  void execution(const StoreValues& store, CoreOperation::ExecutionCompletion completion) override {
    // The reply callback holds the operation: nothing else does once start() has returned.
    auto self = std::static_pointer_cast<ClientOperation>(this->shared_from_this());
    call_(store, [self = std::move(self), completion = std::move(completion)](
                     std::shared_ptr<Reply> reply, std::optional<Error> error) {
      if (error) {
        completion(false, std::move(error));
        return;
      }
      self->handOver(OnSuccess::record(std::move(reply)), std::nullopt);
      if constexpr (requires { OnSuccess::afterHandOver(); }) {
        OnSuccess::afterHandOver();
      }
      completion(true, std::nullopt);
    });
  }

  const std::function<void(const StoreValues&, Completion<Reply>)> call_;
};

}  // namespace zelvora::internal
