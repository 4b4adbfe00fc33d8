// UTF-8 texts to and from the UTF-16 of the Win32 API.
#include "util/win32/wide.h"

#include <windows.h>

namespace mirelda {

std::wstring Widen(std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::wstring wide(MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), static_cast<int>(wide.size()));
  return wide;
}

std::string Narrow(std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  std::string narrow(
      WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), static_cast<int>(narrow.size()),
                      nullptr, nullptr);
  return narrow;
}

std::wstring WidenPath(std::string_view path) {
  std::wstring wide = Widen(path);
  // Shorter paths keep the system's own reading, which the prefix would turn off; 12 characters
  // are left for a file name in a folder made at that length, as CreateDirectoryW requires.
  constexpr size_t kLongPath = MAX_PATH - 12;
  if (wide.size() < kLongPath || wide.starts_with(LR"(\\?\)")) return wide;
  // With the prefix the system takes the path literally: it must be absolute, with no "/", "."
  // or "..", so the system's own reading is done first.
  std::wstring full(GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr), L'\0');
  const DWORD size =
      GetFullPathNameW(wide.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (size == 0 || size >= full.size()) return wide;
  full.resize(size);
  if (full.starts_with(LR"(\\.\)")) return full;  // a device
  if (full.starts_with(LR"(\\)")) return LR"(\\?\UNC\)" + full.substr(2);
  return LR"(\\?\)" + full;
}

}  // namespace mirelda
