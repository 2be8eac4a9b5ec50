#pragma once

#include <openssl/evp.h>
#include <openssl/hmac.h>

#include <string>
#include <string_view>

namespace zelvora::test {

// OpenSSL's HMAC-SHA256 of the bytes of data under the bytes of key, in lower-case hex.
inline std::string opensslHmacSha256Hex(std::string_view key, std::string_view data) {
  unsigned char digest[EVP_MAX_MD_SIZE];
  unsigned int length = 0;
  HMAC(EVP_sha256(), key.data(), static_cast<int>(key.size()),
       reinterpret_cast<const unsigned char*>(data.data()), data.size(), digest, &length);
  static constexpr char digits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned int i = 0; i < length; ++i) {
    hex.push_back(digits[digest[i] >> 4]);
    hex.push_back(digits[digest[i] & 0x0F]);
  }
  return hex;
}

}  // namespace zelvora::test
