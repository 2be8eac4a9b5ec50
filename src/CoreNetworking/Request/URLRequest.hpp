#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zelvora {

// An address split into its parts; path and query are kept percent-encoded, as sent.
struct URLComponents {
  std::string scheme;
  std::string host;
  std::optional<int> port;
  std::string percentEncodedPath;
  std::optional<std::string> percentEncodedQuery;

  // scheme://host[:port]path[?query]
  std::string absoluteString() const;
  // The path with its percent escapes decoded.
  std::string decodedPath() const;
};

// Header fields in the order they were set. Names compare without regard to letter case: setting
// a field replaces one of the same name, keeping the name as first written.
class HeaderFields {
 public:
  void set(std::string_view name, std::string value);
  std::optional<std::string> get(std::string_view name) const;
  bool contains(std::string_view name) const { return get(name).has_value(); }
  const std::vector<std::pair<std::string, std::string>>& entries() const { return entries_; }

 private:
  std::vector<std::pair<std::string, std::string>> entries_;
};

// One HTTP request being built, then sent as it stands.
struct URLRequest {
  std::optional<URLComponents> url;
  std::string method = "GET";
  HeaderFields headers;
  std::optional<std::string> body;
};

// Equal once ASCII letters are folded to one case. Protocol names (header fields, schemes, hosts)
// fold by ASCII alone: the C library's folding follows the process's locale, and under a Turkish
// one "I" and "i" are not each other's case.
bool equalIgnoringAsciiCase(std::string_view a, std::string_view b);

// Percent-encodes, as upper-case UTF-8 escapes, every byte but the ASCII letters and digits and
// the punctuation given.
std::string percentEncode(std::string_view text, std::string_view allowedPunctuation);

// The same, but each well-formed escape ("%" and two hexadecimal digits) goes out as it is: for
// text that is percent-encoded already.
std::string percentEncodeKeepingEscapes(std::string_view text, std::string_view allowedPunctuation);

// What a path may hold unescaped: the unreserved characters, the sub-delimiters, ":", "@", "/".
inline constexpr std::string_view kPathPunctuation = "-._~!$&'()*+,;=:@/";

}  // namespace zelvora
