#pragma once

#include "CoreNetworking/Request/URLRequest.hpp"
#include "Helpers/Constants.hpp"

#include <optional>
#include <string>

namespace zelvora {

// Where a call goes, and how it is made acceptable to the platform: every request carries the
// session's bearer token, the API key, a timestamp, the correlation id and a signature over them.
struct ZelvoraAuthorizedAPIService {
  std::string host;
  std::optional<int> port;
  std::string scheme;

  // The service of the configured platform address, as it is now.
  static ZelvoraAuthorizedAPIService fromConstants();

  // Signs the request in place; the last step of building it.
  void authorizeRequest(URLRequest& request) const;
};

// While it lives, the requests built on this thread carry this bearer token instead of the stored
// session's. A purchase signs each of its steps so, keeping to the session it started with whatever
// the Store holds by then. Scopes nest; the innermost holds.
class SessionTokenScope {
 public:
  explicit SessionTokenScope(std::string token);
  ~SessionTokenScope();
  SessionTokenScope(const SessionTokenScope&) = delete;
  SessionTokenScope& operator=(const SessionTokenScope&) = delete;

  // The token of the innermost scope on this thread; nullptr outside every scope.
  static const std::string* current();

 private:
  std::string token_;
  const SessionTokenScope* outer_;
};

// The text the platform verifies: API key, timestamp, correlation id, method, path and body.
std::string signedText(const std::string& apiKey, const std::string& timestamp,
                       const std::string& correlationId, const std::string& method,
                       const std::string& path, const std::string& body);

}  // namespace zelvora
