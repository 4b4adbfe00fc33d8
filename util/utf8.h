// Reading and writing single UTF-8 characters, for both halves of the code page 932 codec.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace mirelda {

/// Appends one character as UTF-8 (U+0000 to U+FFFF: all that CP932 has). 0x677F => "板".
void AppendUtf8(std::string& out, char32_t cp);

/// The length of the well-formed UTF-8 character that `s` starts with, its code point in `cp`;
/// 0 when `s` is empty or starts with a malformed sequence. "板x" => 3, 0x677F.
std::size_t DecodeUtf8(std::string_view s, char32_t& cp);

}  // namespace mirelda
