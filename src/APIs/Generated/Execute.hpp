#pragma once

#include "CoreNetworking/Response/QueryResponse.hpp"
#include "Queries/Query.hpp"

#include <zelvora/Completion.hpp>

#include <optional>

namespace zelvora {

// The platform error a parsed reply carries, whatever its HTTP status: code 111 from the
// "errors" form, else code 123 from the "message" form.
std::optional<Error> checkForError(const Json& json);

}  // namespace zelvora
