// UTF-8 texts to and from the UTF-16 of the Win32 API, at the boundary only.
#pragma once

#include <string>
#include <string_view>

namespace mirelda {

/// UTF-8 => UTF-16; a malformed sequence becomes U+FFFD. "板" => L"板".
std::wstring Widen(std::string_view text);

/// UTF-16 => UTF-8; a lone surrogate becomes U+FFFD. L"板" => "板".
std::string Narrow(std::wstring_view text);

}  // namespace mirelda
