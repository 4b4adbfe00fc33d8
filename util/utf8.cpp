// Reading and writing single UTF-8 characters, for both halves of the code page 932 codec.
#include "util/utf8.h"

namespace mirelda {

void AppendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out.push_back(static_cast<char>(cp));
  } else if (cp < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
    out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
  }
}

std::size_t DecodeUtf8(std::string_view s, char32_t& cp) {
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
