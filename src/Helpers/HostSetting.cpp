#include "Helpers/HostSetting.hpp"

#include "Helpers/Utf8.hpp"

#include <glib.h>

#include <algorithm>
#include <vector>

namespace zelvora::internal {

namespace {

using Text = std::u32string_view;

bool isHostCharacter(char32_t c) {
  return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') ||
         std::u32string_view(U"-@:%._+~#=").find(c) != Text::npos;
}

bool isLowerLetter(char32_t c) {
  return c >= U'a' && c <= U'z';
}

// \d: a Unicode decimal digit (general category Nd), as the pattern's regular-expression engine has
// it.
bool isDecimalDigit(char32_t c) {
  return g_unichar_isdigit(static_cast<gunichar>(c));
}

// [-a-zA-Z0-9@:%._\+~#=]{2,256}\.[a-z]{2,4}, the whole text.
bool matchesDomain(Text text) {
  for (std::size_t tld = 2; tld <= 4; ++tld) {
    if (text.size() < tld + 1)
      break;
    const std::size_t name = text.size() - tld - 1;
    if (name < 2 || name > 256)
      continue;
    const Text suffix = text.substr(name + 1);
    if (text[name] == U'.' && std::all_of(suffix.begin(), suffix.end(), isLowerLetter) &&
        std::all_of(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(name),
                    isHostCharacter)) {
      return true;
    }
  }
  return false;
}

// The domain followed by an optional (:[\d]+). ":" is a host character and digits are not top-level
// domain letters, so the only candidate port is the run of digits that ends the text, after a ":".
bool matchesDomainAndPort(Text text) {
  if (matchesDomain(text))
    return true;
  std::size_t digits = text.size();
  while (digits > 0 && isDecimalDigit(text[digits - 1]))
    --digits;
  return digits < text.size() && digits > 0 && text[digits - 1] == U':' &&
         matchesDomain(text.substr(0, digits - 1));
}

bool startsWith(Text text, Text prefix) {
  return text.substr(0, prefix.size()) == prefix;
}

std::vector<std::string_view> splitAtColons(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  for (std::size_t colon; (colon = text.find(':', start)) != std::string_view::npos;
       start = colon + 1) {
    parts.push_back(text.substr(start, colon - start));
  }
  parts.push_back(text.substr(start));
  return parts;
}

std::optional<int> parsePort(std::string_view text) {
  if (text.empty())
    return std::nullopt;
  int port = 0;
  for (char c : text) {
    if (c < '0' || c > '9')
      return std::nullopt;
    port = port * 10 + (c - '0');
    if (port > 65535)
      return std::nullopt;
  }
  if (port == 0)
    return std::nullopt;
  return port;
}

}  // namespace

bool matchesUrlPattern(std::string_view text) {
  const std::u32string codePoints = decodeUtf8(text);
  Text rest = codePoints;
  if (startsWith(rest, U"http://")) {
    rest.remove_prefix(7);
  } else if (startsWith(rest, U"https://")) {
    rest.remove_prefix(8);
  } else {
    return false;
  }
  // (www\.)? is either there or not; "www." is made of host characters, so both readings are tried.
  return matchesDomainAndPort(rest) ||
         (startsWith(rest, U"www.") && matchesDomainAndPort(rest.substr(4)));
}

std::optional<ServerAddress> serverAddressFromHostSetting(std::string_view text) {
  if (!matchesUrlPattern(text))
    return std::nullopt;
  const auto parts = splitAtColons(text);  // at least two: the pattern puts a ":" after the scheme
  ServerAddress address;
  address.scheme = std::string(parts[0]);
  address.host = std::string(parts[1].substr(2));  // after the "//" that follows the scheme's colon
  if (parts.size() == 3) {
    const auto port = parsePort(parts[2]);
    if (!port)
      return std::nullopt;
    address.port = *port;
  } else {
    address.port = address.scheme == "https" ? 443 : 80;
  }
  return address;
}

}  // namespace zelvora::internal
