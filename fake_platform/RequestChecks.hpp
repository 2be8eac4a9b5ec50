#pragma once

#include <optional>
#include <string>

#include "fake_platform/FakePlatform.hpp"
#include "fake_platform/Http.hpp"

namespace zelvora::fake {

// The answer to a request whose signing headers the platform refuses; nothing when they pass.
std::optional<HttpResponse> headerRejection(const HttpRequest& request,
                                            const Credentials& credentials, bool signatureValid);

// The token of an "Authorization" header of the form "Bearer <token>"; the token may be empty.
std::optional<std::string> bearerToken(const HttpRequest& request);

}  // namespace zelvora::fake
