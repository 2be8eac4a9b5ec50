#pragma once

#include <zelvora/Error.hpp>

#include <functional>
#include <memory>
#include <optional>

namespace zelvora {

// The completion of every asynchronous call: either a result or an error. A list result is a
// std::shared_ptr<std::vector<std::shared_ptr<M>>>.
template <class T>
using Completion = std::function<void(std::shared_ptr<T>, std::optional<Error>)>;

// The completion of initialize: (true, no error) on success, (false, the error) otherwise.
using InitializeCompletion = std::function<void(bool success, std::optional<Error> error)>;

}  // namespace zelvora
