#include "CoreNetworking/Response/QueryResponse.hpp"

#include "CoreNetworking/Response/ReplyText.hpp"

#include <array>
#include <utility>

namespace zelvora {
namespace {

constexpr std::array<std::pair<NetworkingError::ErrorCode, std::string_view>, 7> kReasons{{
    {NetworkingError::ErrorCode::InvalidAccessToken, "Invalid Access Token"},
    {NetworkingError::ErrorCode::NoVendorRegistered, "No Vendor Found"},
    {NetworkingError::ErrorCode::NoResponseSerializer, "No Response Serializer Found"},
    {NetworkingError::ErrorCode::NoResponseSerializeImplementationByVendor,
     "Vendor specified this response is serializable, but did not provide any implementation"},
    {NetworkingError::ErrorCode::CouldNotConvertResponse,
     "Could not convert response to desired type"},
    {NetworkingError::ErrorCode::StringSerializationFailed,
     "String could not be serialized. Input data was nil."},
    {NetworkingError::ErrorCode::JSONSerializationFailed, "JSON could not be serialized."},
}};

}  // namespace

std::string_view NetworkingError::reason(ErrorCode code) {
  return kReasons[static_cast<std::size_t>(-9000 - static_cast<int>(code))].second;
}

std::optional<NetworkingError::ErrorCode> NetworkingError::errorCodeFromRawValue(
    long long rawValue) {
  if (rawValue > -9000 || rawValue < -9006) {
    return std::nullopt;
  }
  return static_cast<ErrorCode>(rawValue);
}

std::optional<NetworkingError::ErrorCode> NetworkingError::errorCodeFromReason(
    std::string_view reason) {
  for (const auto& [code, text] : kReasons) {
    if (text == reason) {
      return code;
    }
  }
  return std::nullopt;
}

Error NetworkingError::errorWithCode(long long code, std::string failureReason) {
  return Error::transport(code, std::move(failureReason));
}

Error NetworkingError::error(ErrorCode code) {
  return errorWithCode(static_cast<long long>(code), std::string(reason(code)));
}

bool NetworkingError::isPlatformError(const Error& error) {
  return error.domain() == Error::transportDomain &&
         (error.code() == kParameterError || error.code() == kMessageError);
}

std::string describeValue(const Json& value) {
  return value.dump();
}

QueryResult<Json> serializeJSON(const std::optional<HTTPURLResponse>& response,
                                std::optional<std::string> data,
                                const std::optional<Error>& error) {
  if (error) {
    return *error;
  }
  if (response && response->statusCode == 204) {
    return Json(nullptr);
  }
  if (!data || data->empty()) {
    return NetworkingError::error(NetworkingError::ErrorCode::JSONSerializationFailed);
  }
  auto parsed = parseReplyText(std::move(*data));
  if (!parsed) {
    return parsed.error();
  }
  return std::move(parsed).value();
}

}  // namespace zelvora
