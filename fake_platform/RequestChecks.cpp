#include "fake_platform/RequestChecks.hpp"

#include <algorithm>
#include <array>
#include <cctype>
#include <string_view>

#include "fake_platform/Replies.hpp"

namespace zelvora::fake {
namespace {

constexpr std::array<std::string_view, 6> kSigningHeaders{
    "Authorization", "Content-type", "X-api-key", "X-timestamp", "X-correlation-id", "X-signature"};

// Whole seconds in plain decimal: digits only, no sign, no leading zero.
bool isWholeSeconds(const std::string& text) {
  return !text.empty() && (text == "0" || text.front() != '0') &&
         std::all_of(text.begin(), text.end(), [](unsigned char c) { return std::isdigit(c); });
}

}  // namespace

std::optional<HttpResponse> headerRejection(const HttpRequest& request,
                                            const Credentials& credentials, bool signatureValid) {
  for (std::string_view name : kSigningHeaders) {
    if (findHeader(request, name) == nullptr) {
      return messageError(400, "bad-request", "missing-header",
                          "Missing header " + std::string(name));
    }
  }
  if (!bearerToken(request)) {
    return unauthorized("authorization", "Authorization must be \"Bearer <session token>\"");
  }
  if (*findHeader(request, "Content-type") != "application/json") {
    return messageError(400, "bad-request", "content-type",
                        "Content-type must be application/json");
  }
  if (*findHeader(request, "X-api-key") != credentials.apiKey) {
    return unauthorized("api-key", "Unknown API key");
  }
  if (!isWholeSeconds(*findHeader(request, "X-timestamp"))) {
    return messageError(400, "bad-request", "timestamp",
                        "X-timestamp must be whole seconds since 1970");
  }
  if (!signatureValid) {
    return unauthorized("signature", "Signature verification failed");
  }
  return std::nullopt;
}

std::optional<std::string> bearerToken(const HttpRequest& request) {
  // Header parsers drop trailing blanks, so the token-less "Bearer " arrives as "Bearer".
  constexpr std::string_view kScheme = "Bearer";
  const std::string* value = findHeader(request, "Authorization");
  if (value == nullptr || !value->starts_with(kScheme)) {
    return std::nullopt;
  }
  std::string_view rest = std::string_view(*value).substr(kScheme.size());
  if (!rest.empty() && rest.front() != ' ') {
    return std::nullopt;
  }
  rest.remove_prefix(std::min<std::size_t>(1, rest.size()));
  return std::string(rest);
}

}  // namespace zelvora::fake
