// The user's language, and the system's own texts of failures in it.
#pragma once

#include <string>
#include <system_error>

namespace mirelda {

/// The languages the program speaks to its user in.
enum class Language { kJapanese, kEnglish };

/// The language that the POSIX locale variables ask for, each null or empty when unset: the
/// first one set of LC_ALL, LC_MESSAGES and LANG decides, Japanese when it begins with "ja".
/// ("", "", "ja_JP.UTF-8") => Japanese; ("C", nullptr, "ja_JP.UTF-8") => English.
Language LanguageOfLocale(const char* lc_all, const char* lc_messages, const char* lang);

/// The user's language as the system tells it: the locale variables on POSIX, the user's UI
/// language on Windows; English for any language other than Japanese.
Language UserLanguage();

/// The system's own text for `error` (strerror, FormatMessageW) in `language` where the system
/// has one, else in English; no line end.
std::string SystemErrorText(std::error_code error, Language language);

}  // namespace mirelda
