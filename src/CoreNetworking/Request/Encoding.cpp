#include "CoreNetworking/Request/Encoding.hpp"

#include <algorithm>
#include <array>

namespace zelvora {
namespace {

constexpr std::array<std::pair<Method, std::string_view>, 4> kMethods{{
    {Method::GET, "GET"},
    {Method::POST, "POST"},
    {Method::PUT, "PUT"},
    {Method::DELETE, "DELETE"},
}};

// Scalars in their plain text form: text as itself, numbers in decimal.
std::string plainText(const Json& value) {
  return value.is_string() ? value.get<std::string>() : value.dump();
}

bool parametersGoIntoTheAddress(Encoding::Kind kind, const std::string& methodText) {
  const auto method = methodFromRawValue(methodText);
  return method && (kind == Encoding::Kind::URLEncodedInURL || *method == Method::GET ||
                    *method == Method::DELETE);
}

void encodeIntoAddress(URLRequest& request, const Json& parameters) {
  if (!request.url) {
    return;
  }
  const auto& existing = request.url->percentEncodedQuery;
  request.url->percentEncodedQuery = (existing ? *existing + "&" : "") + queryText(parameters);
}

void encodeIntoFormBody(URLRequest& request, const Json& parameters) {
  if (!request.headers.contains("Content-Type")) {
    request.headers.set("Content-Type", "application/x-www-form-urlencoded; charset=utf-8");
  }
  request.body = queryText(parameters);
}

std::optional<Error> encodeIntoJSONBody(URLRequest& request, const Json& parameters) {
  try {
    request.body = serializeJSON(parameters);
  } catch (const EncodingError& error) {
    return Error::json(0, error.what());
  }
  request.headers.set("Content-Type", "application/json");
  return std::nullopt;
}

}  // namespace

std::string_view rawValue(Method method) {
  return std::find_if(kMethods.begin(), kMethods.end(),
                      [method](const auto& entry) { return entry.first == method; })
      ->second;
}

std::optional<Method> methodFromRawValue(std::string_view text) {
  for (const auto& [method, raw] : kMethods) {
    if (raw == text) {
      return method;
    }
  }
  return std::nullopt;
}

std::pair<URLRequest, std::optional<Error>> Encoding::encode(URLRequest request,
                                                             const Json* parameters) const {
  if (parameters == nullptr) {
    return {std::move(request), std::nullopt};
  }
  switch (kind_) {
    case Kind::URL:
    case Kind::URLEncodedInURL:
      if (parametersGoIntoTheAddress(kind_, request.method)) {
        encodeIntoAddress(request, *parameters);
      } else {
        encodeIntoFormBody(request, *parameters);
      }
      return {std::move(request), std::nullopt};
    case Kind::JSON: {
      auto error = encodeIntoJSONBody(request, *parameters);
      return {std::move(request), std::move(error)};
    }
  }
  return {std::move(request), std::nullopt};
}

// A JSON object iterates its keys in ascending byte order, the order the platform expects.
std::string queryText(const Json& parameters) {
  std::string text;
  for (const auto& [key, value] : parameters.items()) {
    for (const auto& [escapedKey, escapedValue] : queryComponents(key, value)) {
      text += (text.empty() ? "" : "&") + escapedKey + "=" + escapedValue;
    }
  }
  return text;
}

std::vector<std::pair<std::string, std::string>> queryComponents(const std::string& key,
                                                                 const Json& value) {
  std::vector<std::pair<std::string, std::string>> components;
  const auto append = [&components](std::vector<std::pair<std::string, std::string>> more) {
    components.insert(components.end(), more.begin(), more.end());
  };
  if (value.is_object()) {
    for (const auto& [nestedKey, nestedValue] : value.items()) {
      append(queryComponents(key + "[" + nestedKey + "]", nestedValue));
    }
  } else if (value.is_array()) {
    for (const auto& element : value) {
      append(queryComponents(key + "[]", element));
    }
  } else {
    components.emplace_back(escapeQueryText(key), escapeQueryText(plainText(value)));
  }
  return components;
}

std::string escapeQueryText(std::string_view text) {
  return percentEncode(text, "-._~/?");
}

Json APIHelper::convertBoolToString(const Json& dictionary) {
  Json converted = Json::object();
  for (const auto& [key, value] : dictionary.items()) {
    converted[key] = value.is_boolean() ? Json(value.get<bool>() ? "true" : "false") : value;
  }
  return converted;
}

}  // namespace zelvora
