#pragma once

#include <string>
#include <string_view>

namespace zelvora::fake {

// Protocol text folds by ASCII alone, whatever the process's locale: under a Turkish one the C
// library's toupper leaves "i" alone.
inline std::string lowerCase(std::string_view text) {
  std::string lowered(text);
  for (char& c : lowered) {
    if (c >= 'A' && c <= 'Z') {
      c = static_cast<char>(c - 'A' + 'a');
    }
  }
  return lowered;
}

inline std::string upperCase(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return upper;
}

}  // namespace zelvora::fake
