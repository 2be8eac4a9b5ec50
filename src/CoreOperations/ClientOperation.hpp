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
// so the reply the handler receives is the app's alone; the copy keeps the number the request took
// as it went out, against which the catch-up after a background period weighs its lookups' answers.
template <auto field>
struct StoreReplyIn {
  template <class Reply>
  static std::shared_ptr<Reply> record(std::shared_ptr<Reply> reply, PlatformRead read) {
    using Stored = std::remove_cvref_t<decltype(std::declval<StoreValues&>().*field)>;
    StoreState::set(field, Stored(reply, read));
    return reply;
  }
};

// OnSuccess::record, given the request's read number when it takes one.
template <class OnSuccess, class Reply>
auto recordReply(std::shared_ptr<Reply> reply, PlatformRead read) {
  if constexpr (requires { OnSuccess::record(reply, read); }) {
    return OnSuccess::record(std::move(reply), read);
  } else {
    return OnSuccess::record(std::move(reply));
  }
}

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
  using Result = typename decltype(recordReply<OnSuccess>(std::declval<std::shared_ptr<Reply>>(),
                                                          PlatformRead{}))::element_type;
};

// The operation of one public call: its precondition, its ClientCore function (the Store checks,
// the request model and the endpoint), and what a successful reply does (OnSuccess::record, which
// writes the Store and gives the handler its value, given the request's read number when it takes
// one, and, when it has one,
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
    const PlatformRead read = nextPlatformRead();
    call_(store, [self = std::move(self), completion = std::move(completion), read](
                     std::shared_ptr<Reply> reply, std::optional<Error> error) {
      if (error) {
        completion(false, std::move(error));
        return;
      }
      self->handOver(recordReply<OnSuccess>(std::move(reply), read), std::nullopt);
      if constexpr (requires { OnSuccess::afterHandOver(); }) {
        OnSuccess::afterHandOver();
      }
      completion(true, std::nullopt);
    });
  }

  const std::function<void(const StoreValues&, Completion<Reply>)> call_;
};

}  // namespace zelvora::internal
