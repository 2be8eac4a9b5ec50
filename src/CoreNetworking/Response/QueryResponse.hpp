#pragma once

#include "CoreNetworking/Networking.hpp"
#include "CoreNetworking/Request/URLRequest.hpp"
#include "Helpers/Extensions.hpp"

#include <zelvora/Error.hpp>

#include <memory>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace zelvora {

// The transport's own error vocabulary, in the domain "com.Zelvora.error".
class NetworkingError {
 public:
  enum class ErrorCode {
    InvalidAccessToken = -9000,
    NoVendorRegistered = -9001,
    NoResponseSerializer = -9002,
    NoResponseSerializeImplementationByVendor = -9003,
    CouldNotConvertResponse = -9004,
    StringSerializationFailed = -9005,
    JSONSerializationFailed = -9006,
  };

  // The codes of the platform's own error objects: the "errors" form and the "message" form.
  static constexpr long long kParameterError = 111;
  static constexpr long long kMessageError = 123;

  NetworkingError() = delete;

  static std::string_view reason(ErrorCode code);
  static std::optional<ErrorCode> errorCodeFromRawValue(long long rawValue);
  static std::optional<ErrorCode> errorCodeFromReason(std::string_view reason);

  // An error of the domain with the code, and the reason as its only failure reason.
  static Error errorWithCode(long long code, std::string failureReason);
  static Error error(ErrorCode code);
  // Whether the error is one the platform answered with in an error object of its own.
  static bool isPlatformError(const Error& error);
};

// How the transport names a value in its diagnostic texts.
std::string describeValue(const Json& value);
template <class M>
std::string describeValue(const std::shared_ptr<M>& value) {
  return value ? "<model>" : "nil";
}
template <class M>
std::string describeValue(const std::shared_ptr<std::vector<std::shared_ptr<M>>>& value) {
  return value ? "[" + std::to_string(value->size()) + " models]" : "nil";
}

// The outcome of one call: a value, or the error in its place.
template <class Value>
class QueryResult {
 public:
  QueryResult(Value value) : outcome_(std::move(value)) {}  // NOLINT(google-explicit-constructor)
  QueryResult(Error error) : outcome_(std::move(error)) {}  // NOLINT(google-explicit-constructor)

  bool isSuccess() const { return outcome_.index() == 0; }
  const Value& value() const { return std::get<0>(outcome_); }
  const Error& error() const { return std::get<1>(outcome_); }

  std::string description() const { return isSuccess() ? "SUCCESS" : "FAILURE"; }
  std::string debugDescription() const {
    return isSuccess() ? "SUCCESS: " + describeValue(value())
                       : "FAILURE: " + error().localizedDescription();
  }

 private:
  std::variant<Value, Error> outcome_;
};

// One finished call: the request as sent, the HTTP response and its status code when one arrived,
// and the outcome.
template <class Value>
struct QueryResponse {
  std::optional<URLRequest> request;
  std::optional<HTTPURLResponse> response;
  std::optional<int> statusCode;
  QueryResult<Value> result;

  std::string debugDescription() const {
    return "[Request]: " +
           (request && request->url ? request->method + " " + request->url->absoluteString()
                                    : std::string("NIL")) +
           "\n[Response]: " + (response ? response->description() : std::string("NIL")) +
           "\n[Status Code]: " + (statusCode ? std::to_string(*statusCode) : std::string("NIL")) +
           "\n[Result]: " + result.debugDescription();
  }
};

// Reads a finished transfer: its error unchanged, status 204 as JSON null whatever the body, an
// empty body as -9006, else the body read by parseReplyText, which takes it over.
QueryResult<Json> serializeJSON(const std::optional<HTTPURLResponse>& response,
                                std::optional<std::string> data, const std::optional<Error>& error);

}  // namespace zelvora
