#include "CoreNetworking/Response/QueryResponse.hpp"

#include "Helpers/Expected.hpp"

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

void replaceAll(std::string& text, std::string_view from, std::string_view to) {
  std::string replaced;
  replaced.reserve(text.size());
  std::size_t start = 0;
  for (auto at = text.find(from); at != std::string::npos; at = text.find(from, start)) {
    replaced.append(text, start, at - start).append(to);
    start = at + from.size();
  }
  if (start == 0) {
    return;
  }
  replaced.append(text, start, std::string::npos);
  text = std::move(replaced);
}

Expected<Json, Error> parseJSON(const std::string& text) {
  try {
    return Json::parse(text);
  } catch (const Json::parse_error& error) {
    return Error::json(error.id, error.what());
  }
}

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

std::string describeValue(const Json& value) {
  return value.dump();
}

std::string replaceHtmlEntities(std::string text) {
  replaceAll(text, "&amp;", "&");
  replaceAll(text, "&lt;", "<");
  replaceAll(text, "&gt;", ">");
  replaceAll(text, "&quot;", "\"");
  replaceAll(text, "&apos;", "'");
  return text;
}

QueryResult<Json> serializeJSON(const std::optional<HTTPURLResponse>& response,
                                const std::optional<std::string>& data,
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
  auto parsed = parseJSON(replaceHtmlEntities(*data));
  if (!parsed) {
    // An entity inside a JSON string ("&quot;") can break a reply that was fine as it came.
    auto raw = parseJSON(*data);
    if (raw) {
      return std::move(raw).value();
    }
    return parsed.error();
  }
  return std::move(parsed).value();
}

}  // namespace zelvora
