#include "CoreNetworking/Request/QueryRequest.hpp"

#include "Helpers/HandoffTrace.hpp"

#include <curl/curl.h>

#include <algorithm>

namespace zelvora {
namespace {

// A host name: labels of ASCII letters, digits, hyphens and underscores separated by dots. The
// "host" setting admits an underscore and so do libcurl and the resolver, so it is sent.
bool isValidHostName(std::string_view host) {
  return !host.empty() && host.front() != '.' && host.back() != '.' &&
         std::all_of(host.begin(), host.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '-' || c == '_' || c == '.';
         });
}

bool holdsLineBreakOrNul(std::string_view value) {
  return value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos;
}

Error curlError(CURLcode code, std::string detail) {
  return Error::curl(code, std::string(curl_easy_strerror(code)) + ": " + detail);
}

}  // namespace

Expected<URLRequest, Error> buildURLRequest(const Query& query) {
  const auto& service = query.service;
  if (!isValidHostName(service.host)) {
    return curlError(CURLE_URL_MALFORMAT, "not a valid host name");
  }
  URLRequest request;
  const auto encode = query.pathEncoded ? percentEncodeKeepingEscapes : percentEncode;
  request.url = URLComponents{service.scheme, service.host, service.port,
                              encode(query.path, kPathPunctuation), std::nullopt};
  request.method = std::string(rawValue(query.method));
  if (query.parameters) {
    auto [encoded, error] =
        query.encoding.encode(std::move(request), &query.parameters->parameterDictionary);
    if (error) {
      return *error;
    }
    request = std::move(encoded);
  }
  internal::trace::mark(internal::trace::Handoff::requestBuilt);
  service.authorizeRequest(request);
  for (const auto& [name, value] : request.headers.entries()) {
    if (holdsLineBreakOrNul(value)) {
      return curlError(CURLE_BAD_FUNCTION_ARGUMENT, "the header " + name + " holds a line break");
    }
  }
  internal::trace::mark(internal::trace::Handoff::requestSigned);
  return request;
}

}  // namespace zelvora
