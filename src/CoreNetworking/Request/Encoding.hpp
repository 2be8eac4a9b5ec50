#pragma once

#include "CoreNetworking/Request/URLRequest.hpp"
#include "Helpers/Extensions.hpp"

#include <zelvora/Error.hpp>

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvora {

enum class Method { GET, POST, PUT, DELETE };

std::string_view rawValue(Method method);
std::optional<Method> methodFromRawValue(std::string_view text);

// The parameters of one call: a JSON object, keys to values of any kind.
struct Parameters {
  Json parameterDictionary = Json::object();
};

// How parameters enter a request: into its address, its form body or its JSON body.
class Encoding {
 public:
  enum class Kind { URL, URLEncodedInURL, JSON };

  static Encoding url() { return Encoding(Kind::URL); }
  static Encoding urlEncodedInURL() { return Encoding(Kind::URLEncodedInURL); }
  static Encoding json() { return Encoding(Kind::JSON); }

  Kind kind() const { return kind_; }

  // Puts the parameters into the request; absent parameters leave it unchanged. A JSON body that
  // cannot be written leaves the request untouched and reports why.
  std::pair<URLRequest, std::optional<Error>> encode(URLRequest request,
                                                     const Json* parameters) const;

 private:
  explicit Encoding(Kind kind) : kind_(kind) {}

  Kind kind_;
};

// key=value pairs joined by "&", keys sorted, nested values in bracket notation.
std::string queryText(const Json& parameters);
std::vector<std::pair<std::string, std::string>> queryComponents(const std::string& key,
                                                                 const Json& value);
// Percent-encodes all but ASCII letters, digits and "-._~/?"; a space becomes %20.
std::string escapeQueryText(std::string_view text);

class APIHelper {
 public:
  APIHelper() = delete;
  // Booleans at the top level become the texts "true" and "false"; nested values stay as they are.
  static Json convertBoolToString(const Json& dictionary);
};

}  // namespace zelvora
