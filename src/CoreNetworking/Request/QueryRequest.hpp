#pragma once

#include "CoreNetworking/Request/URLRequest.hpp"
#include "Helpers/Expected.hpp"
#include "Queries/Query.hpp"

#include <zelvora/Error.hpp>

namespace zelvora {

// The signed HTTP request of one call, or why none may be sent: an address that is not a valid
// host, a body that has no JSON form, a header value that would split the request.
Expected<URLRequest, Error> buildURLRequest(const Query& query);

}  // namespace zelvora
