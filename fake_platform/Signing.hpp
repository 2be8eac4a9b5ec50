#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "fake_platform/FakePlatform.hpp"
#include "fake_platform/Http.hpp"

// How the platform authenticates a request: an HMAC-SHA256 over the API key, the timestamp, the
// correlation id, the upper-case method, the percent-decoded path (no query) and the body, run
// together without separators, keyed with the API secret and written as lowercase hex.
namespace zelvora::fake {

std::string hmacSha256Hex(std::string_view key, std::string_view text);

// "%XX" becomes its byte; anything else, malformed escapes included, stays as it is.
std::string percentDecode(std::string_view text);

// The target without its query, percent-decoded.
std::string decodedPathOf(std::string_view target);

std::string signedText(std::string_view apiKey, std::string_view timestamp,
                       std::string_view correlationId, std::string_view method,
                       std::string_view decodedPath, std::string_view body);

bool hasValidSignature(const HttpRequest& request, const Credentials& credentials);

// What a well-behaved client adds to a request; tests use it to talk to the server.
struct SigningContext {
  std::string sessionToken;
  std::string correlationId;
  std::int64_t timestamp = 0;
};
void signRequest(HttpRequest& request, const Credentials& credentials,
                 const SigningContext& context);

}  // namespace zelvora::fake
