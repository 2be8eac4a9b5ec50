#include "fake_platform/Signing.hpp"

#include <array>

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/hmac.h>

#include "fake_platform/Text.hpp"

namespace zelvora::fake {
namespace {

int hexValue(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

std::string headerOrEmpty(const HttpRequest& request, std::string_view name) {
  const std::string* value = findHeader(request, name);
  return value == nullptr ? std::string() : *value;
}

}  // namespace

std::string hmacSha256Hex(std::string_view key, std::string_view text) {
  std::array<unsigned char, EVP_MAX_MD_SIZE> digest{};
  unsigned int length = 0;
  HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
       reinterpret_cast<const unsigned char*>(text.data()), text.size(), digest.data(), &length);
  static constexpr char kDigits[] = "0123456789abcdef";
  std::string hex;
  hex.reserve(length * 2);
  for (unsigned int i = 0; i < length; ++i) {
    hex += kDigits[digest[i] >> 4];
    hex += kDigits[digest[i] & 0x0f];
  }
  return hex;
}

std::string percentDecode(std::string_view text) {
  std::string decoded;
  decoded.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      const int high = hexValue(text[i + 1]);
      const int low = hexValue(text[i + 2]);
      if (high >= 0 && low >= 0) {
        decoded += static_cast<char>(high * 16 + low);
        i += 2;
        continue;
      }
    }
    decoded += text[i];
  }
  return decoded;
}

std::string decodedPathOf(std::string_view target) {
  return percentDecode(target.substr(0, target.find('?')));
}

std::string signedText(std::string_view apiKey, std::string_view timestamp,
                       std::string_view correlationId, std::string_view method,
                       std::string_view decodedPath, std::string_view body) {
  std::string text;
  text.reserve(apiKey.size() + timestamp.size() + correlationId.size() + method.size() +
               decodedPath.size() + body.size());
  text.append(apiKey).append(timestamp).append(correlationId);
  text.append(upperCase(method)).append(decodedPath).append(body);
  return text;
}

bool hasValidSignature(const HttpRequest& request, const Credentials& credentials) {
  const std::string expected = hmacSha256Hex(
      credentials.apiSecret, signedText(credentials.apiKey, headerOrEmpty(request, "X-timestamp"),
                                        headerOrEmpty(request, "X-correlation-id"), request.method,
                                        decodedPathOf(request.target), request.body));
  const std::string actual = headerOrEmpty(request, "X-signature");
  return actual.size() == expected.size() &&
         CRYPTO_memcmp(actual.data(), expected.data(), expected.size()) == 0;
}

void signRequest(HttpRequest& request, const Credentials& credentials,
                 const SigningContext& context) {
  const std::string timestamp = std::to_string(context.timestamp);
  request.headers["Authorization"] = "Bearer " + context.sessionToken;
  request.headers["Content-type"] = "application/json";
  request.headers["X-api-key"] = credentials.apiKey;
  request.headers["X-timestamp"] = timestamp;
  request.headers["X-correlation-id"] = context.correlationId;
  request.headers["X-signature"] =
      hmacSha256Hex(credentials.apiSecret,
                    signedText(credentials.apiKey, timestamp, context.correlationId, request.method,
                               decodedPathOf(request.target), request.body));
}

}  // namespace zelvora::fake
