// The user's language on Windows, from the UI language, and FormatMessageW's texts in it.
#include "util/locale.h"

#include <windows.h>

#include "util/win32/wide.h"

namespace mirelda {

Language UserLanguage() {
  return PRIMARYLANGID(GetUserDefaultUILanguage()) == LANG_JAPANESE ? Language::kJapanese
                                                                    : Language::kEnglish;
}

std::string SystemErrorText(std::error_code error, Language language) {
  if (error.category() != std::system_category()) return error.message();
  const LANGID wanted = language == Language::kJapanese
                            ? MAKELANGID(LANG_JAPANESE, SUBLANG_DEFAULT)
                            : MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
  // A Windows without that language's texts has the texts of its own language still.
  for (const LANGID language_id : {wanted, LANGID{0}}) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(error.value()), language_id, reinterpret_cast<LPWSTR>(&text), 0,
        nullptr);
    if (length == 0) continue;
    std::wstring message(text, length);
    LocalFree(text);
    while (!message.empty() &&
           (message.back() == L'\n' || message.back() == L'\r' || message.back() == L' ')) {
      message.pop_back();
    }
    return Narrow(message);
  }
  return error.message();
}

}  // namespace mirelda
