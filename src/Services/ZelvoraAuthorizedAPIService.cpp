#include "Services/ZelvoraAuthorizedAPIService.hpp"

#include "Helpers/StoreState.hpp"
#include "Platform/ScriptContext.hpp"

#include <zelvora/models/Session.hpp>

#include <algorithm>
#include <chrono>

namespace zelvora {
namespace {

std::string upperCase(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
  });
  return text;
}

std::string wholeSecondsSince1970() {
  using namespace std::chrono;
  return std::to_string(duration_cast<seconds>(system_clock::now().time_since_epoch()).count());
}

thread_local const SessionTokenScope* innermostScope = nullptr;

}  // namespace

SessionTokenScope::SessionTokenScope(std::string token)
    : token_(std::move(token)), outer_(innermostScope) {
  innermostScope = this;
}

SessionTokenScope::~SessionTokenScope() {
  innermostScope = outer_;
}

const std::string* SessionTokenScope::current() {
  return innermostScope ? &innermostScope->token_ : nullptr;
}

ZelvoraAuthorizedAPIService ZelvoraAuthorizedAPIService::fromConstants() {
  auto address = Constants::serverAddress();
  return {std::move(address.host), address.port, std::move(address.scheme)};
}

std::string signedText(const std::string& apiKey, const std::string& timestamp,
                       const std::string& correlationId, const std::string& method,
                       const std::string& path, const std::string& body) {
  return apiKey + timestamp + correlationId + method + path + body;
}

void ZelvoraAuthorizedAPIService::authorizeRequest(URLRequest& request) const {
  const auto store = internal::StoreState::snapshot();
  const std::string* scoped = SessionTokenScope::current();
  const std::string token = scoped                                  ? *scoped
                            : store.session && store.session->token ? *store.session->token
                                                                    : std::string();
  const std::string apiKey = store.apiKey.value_or("");
  const std::string correlationId = store.correlationId.value_or("");
  const std::string timestamp = wholeSecondsSince1970();
  const std::string path = request.url ? request.url->decodedPath() : std::string();
  const std::string signature = platform::generateSignature(
      signedText(apiKey, timestamp, correlationId, upperCase(request.method), path,
                 request.body.value_or("")),
      store.apiSecret.value_or(""));

  request.headers.set("Authorization", "Bearer " + token);
  request.headers.set("Content-type", "application/json");
  request.headers.set("X-api-key", apiKey);
  request.headers.set("X-signature", signature);
  request.headers.set("X-timestamp", timestamp);
  request.headers.set("X-correlation-id", correlationId);
}

}  // namespace zelvora
