#pragma once

#include <string>
#include <string_view>

namespace zelvora::internal {

// The code points of UTF-8 text. Each ill-formed sequence (its maximal subpart) becomes U+FFFD, as
// a Unicode-conforming decoder repairs it, so any byte string yields valid text.
std::u32string decodeUtf8(std::string_view text);

// The same text as UTF-16, with the same repair.
std::u16string utf8ToUtf16(std::string_view text);

}  // namespace zelvora::internal
