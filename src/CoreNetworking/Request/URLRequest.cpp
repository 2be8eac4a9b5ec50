#include "CoreNetworking/Request/URLRequest.hpp"

#include <algorithm>

namespace zelvora {
namespace {

char asciiLower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

int hexValue(char c) {
  if (c >= '0' && c <= '9')
    return c - '0';
  if (c >= 'a' && c <= 'f')
    return c - 'a' + 10;
  if (c >= 'A' && c <= 'F')
    return c - 'A' + 10;
  return -1;
}

bool isAsciiAlphanumeric(char c) {
  return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

}  // namespace

bool equalIgnoringAsciiCase(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(),
                    [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

std::string URLComponents::absoluteString() const {
  std::string text = scheme;
  text.append("://").append(host);
  if (port) {
    text.append(":").append(std::to_string(*port));
  }
  text.append(percentEncodedPath);
  if (percentEncodedQuery) {
    text.append("?").append(*percentEncodedQuery);
  }
  return text;
}

std::string URLComponents::decodedPath() const {
  std::string decoded;
  decoded.reserve(percentEncodedPath.size());
  for (std::size_t i = 0; i < percentEncodedPath.size(); ++i) {
    const char c = percentEncodedPath[i];
    if (c == '%' && i + 2 < percentEncodedPath.size() && hexValue(percentEncodedPath[i + 1]) >= 0 &&
        hexValue(percentEncodedPath[i + 2]) >= 0) {
      decoded += static_cast<char>(hexValue(percentEncodedPath[i + 1]) * 16 +
                                   hexValue(percentEncodedPath[i + 2]));
      i += 2;
    } else {
      decoded += c;
    }
  }
  return decoded;
}

void HeaderFields::set(std::string_view name, std::string value) {
  for (auto& [existingName, existingValue] : entries_) {
    if (equalIgnoringAsciiCase(existingName, name)) {
      existingValue = std::move(value);
      return;
    }
  }
  entries_.emplace_back(std::string(name), std::move(value));
}

std::optional<std::string> HeaderFields::get(std::string_view name) const {
  for (const auto& [existingName, value] : entries_) {
    if (equalIgnoringAsciiCase(existingName, name)) {
      return value;
    }
  }
  return std::nullopt;
}

std::string percentEncode(std::string_view text, std::string_view allowedPunctuation) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(text.size());
  for (const char c : text) {
    if (isAsciiAlphanumeric(c) || allowedPunctuation.find(c) != std::string_view::npos) {
      encoded += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      encoded += '%';
      encoded += kHex[byte >> 4];
      encoded += kHex[byte & 0xF];
    }
  }
  return encoded;
}

std::string percentEncodeKeepingEscapes(std::string_view text,
                                        std::string_view allowedPunctuation) {
  std::string encoded;
  std::size_t plain = 0;  // where the text not yet encoded begins
  for (std::size_t i = 0; i + 2 < text.size(); ++i) {
    if (text[i] == '%' && hexValue(text[i + 1]) >= 0 && hexValue(text[i + 2]) >= 0) {
      encoded += percentEncode(text.substr(plain, i - plain), allowedPunctuation);
      encoded += text.substr(i, 3);
      plain = i + 3;
      i += 2;
    }
  }
  return encoded + percentEncode(text.substr(plain), allowedPunctuation);
}

}  // namespace zelvora
