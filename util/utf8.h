// Reading and writing single UTF-8 characters, for the code page 932 codec: inline, as it
// reads or writes one for each character of every text.
#pragma once

#include <cstddef>
#include <string_view>

namespace mirelda {

/// Writes one character (U+0000 to U+FFFF: all that CP932 has) as UTF-8 at `out` and returns the
/// end of what it wrote: at most 3 bytes. 0x677F => "板".
constexpr char* WriteUtf8(char* out, char32_t cp) {
  if (cp < 0x80) {
    *out++ = static_cast<char>(cp);
  } else if (cp < 0x800) {
    *out++ = static_cast<char>(0xC0 | (cp >> 6));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    *out++ = static_cast<char>(0xE0 | (cp >> 12));
    *out++ = static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    *out++ = static_cast<char>(0x80 | (cp & 0x3F));
  }
  return out;
}

/// The length of the well-formed UTF-8 character that `s` starts with, its code point in `cp`;
/// 0 when `s` is empty or starts with a malformed sequence. "板x" => 3, 0x677F.
inline std::size_t DecodeUtf8(std::string_view s, char32_t& cp) {
  const auto b = [&](std::size_t i) { return static_cast<unsigned char>(s[i]); };
  const auto tail = [&](std::size_t i) { return i < s.size() && (b(i) & 0xC0) == 0x80; };
  if (s.empty()) return 0;
  if (b(0) < 0x80) {
    cp = b(0);
    return 1;
  }
  if (b(0) >= 0xC2 && b(0) < 0xE0 && tail(1)) {
    cp = ((b(0) & 0x1F) << 6) | (b(1) & 0x3F);
    return 2;
  }
  if (b(0) >= 0xE0 && b(0) < 0xF0 && tail(1) && tail(2)) {
    cp = ((b(0) & 0x0F) << 12) | ((b(1) & 0x3F) << 6) | (b(2) & 0x3F);
    return cp >= 0x800 ? 3 : 0;
  }
  if (b(0) >= 0xF0 && b(0) < 0xF5 && tail(1) && tail(2) && tail(3)) {
    cp = ((b(0) & 0x07) << 18) | ((b(1) & 0x3F) << 12) | ((b(2) & 0x3F) << 6) | (b(3) & 0x3F);
    return cp >= 0x10000 ? 4 : 0;
  }
  return 0;
}

}  // namespace mirelda
