// The window's kept choices on Windows, through the profile functions.
#include "app/win32/settings_store.h"

#include <windows.h>

#include "util/win32/wide.h"

namespace mirelda::win32 {
namespace {

constexpr wchar_t kSection[] = L"mirelda";
// What a missing key reads as: a character no folder name or list of kinds holds.
constexpr wchar_t kMissing[] = L"\x1f";

}  // namespace

IniSettingsStore::IniSettingsStore() {
  std::wstring data(32768, L'\0');
  data.resize(GetEnvironmentVariableW(L"APPDATA", data.data(), static_cast<DWORD>(data.size())));
  if (!data.empty()) path_ = data + L"\\mirelda\\mirelda.ini";
}

std::optional<std::string> IniSettingsStore::Value(const std::string& key) {
  if (path_.empty()) return std::nullopt;
  std::wstring text(32768, L'\0');
  text.resize(GetPrivateProfileStringW(kSection, Widen(key).c_str(), kMissing, text.data(),
                                       static_cast<DWORD>(text.size()), path_.c_str()));
  if (text == kMissing) return std::nullopt;
  return Narrow(text);
}

void IniSettingsStore::SetValue(const std::string& key, const std::string& text) {
  if (path_.empty()) return;
  CreateDirectoryW(path_.substr(0, path_.rfind(L'\\')).c_str(), nullptr);
  // A file that starts as UTF-16 is written in UTF-16, so that a folder outside the ANSI code
  // page is kept whole.
  const HANDLE file = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file != INVALID_HANDLE_VALUE) {
    const unsigned char bom[] = {0xFF, 0xFE};
    DWORD written = 0;
    WriteFile(file, bom, sizeof bom, &written, nullptr);
    CloseHandle(file);
  }
  WritePrivateProfileStringW(kSection, Widen(key).c_str(), Widen(text).c_str(), path_.c_str());
}

}  // namespace mirelda::win32
