// UTF-8 texts to and from the UTF-16 of the Win32 API, at the boundary only.
#pragma once

#include <string>
#include <string_view>

namespace mirelda {

/// UTF-8 => UTF-16; a malformed sequence becomes U+FFFD. "板" => L"板".
std::wstring Widen(std::string_view text);

/// UTF-16 => UTF-8; a lone surrogate becomes U+FFFD. L"板" => "板".
std::string Narrow(std::wstring_view text);

/// A UTF-8 path as the W calls take it. One too long for the system's MAX_PATH limit is made
/// absolute and given the \\?\ prefix (\\?\UNC\ for a network path), which lifts the limit.
/// C:\a => C:\a; C:\a\<300 characters> => \\?\C:\a\<300 characters>; \\srv\s\<300 characters> =>
/// \\?\UNC\srv\s\<300 characters>.
std::wstring WidenPath(std::string_view path);

}  // namespace mirelda
