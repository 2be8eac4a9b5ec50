#include "Helpers/Utf8.hpp"

namespace zelvora::internal {

namespace {
constexpr char32_t replacementCharacter = 0xFFFD;
}

std::u32string decodeUtf8(std::string_view text) {
  std::u32string out;
  out.reserve(text.size());
  const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  std::size_t i = 0;
  while (i < text.size()) {
    const unsigned char lead = byteAt(i);
    if (lead < 0x80) {
      out.push_back(lead);
      ++i;
      continue;
    }
    // Continuation count and the allowed range of the first continuation byte (Unicode table 3-7).
    int continuations = 0;
    unsigned char low = 0x80, high = 0xBF;
    char32_t codePoint = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
      continuations = 1;
      codePoint = lead & 0x1F;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      continuations = 2;
      codePoint = lead & 0x0F;
      if (lead == 0xE0)
        low = 0xA0;
      if (lead == 0xED)
        high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      continuations = 3;
      codePoint = lead & 0x07;
      if (lead == 0xF0)
        low = 0x90;
      if (lead == 0xF4)
        high = 0x8F;
    } else {
      out.push_back(replacementCharacter);
      ++i;
      continue;
    }
    std::size_t next = i + 1;
    bool complete = true;
    for (int k = 0; k < continuations; ++k, ++next) {
      if (next >= text.size() || byteAt(next) < low || byteAt(next) > high) {
        complete = false;
        break;
      }
      codePoint = (codePoint << 6) | (byteAt(next) & 0x3F);
      low = 0x80;
      high = 0xBF;
    }
    out.push_back(complete ? codePoint : replacementCharacter);
    i = next;
  }
  return out;
}

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  for (char32_t codePoint : decodeUtf8(text)) {
    if (codePoint < 0x10000) {
      out.push_back(static_cast<char16_t>(codePoint));
    } else {
      codePoint -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (codePoint >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (codePoint & 0x3FF)));
    }
  }
  return out;
}

}  // namespace zelvora::internal
