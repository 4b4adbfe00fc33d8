// The user's language on POSIX, from the locale variables, and strerror's texts in it.
#include "util/locale.h"

#include <locale.h>
#include <string.h>

#include <cstdlib>

namespace mirelda {

Language UserLanguage() {
  return LanguageOfLocale(std::getenv("LC_ALL"), std::getenv("LC_MESSAGES"), std::getenv("LANG"));
}

std::string SystemErrorText(std::error_code error, Language language) {
  const bool from_errno =
      error.category() == std::generic_category() || error.category() == std::system_category();
  // The program never sets its own locale, so message() speaks English; a Japanese text exists
  // only where the system has the Japanese locale and the C library's translations installed.
  if (from_errno && language == Language::kJapanese) {
    if (const locale_t japanese = newlocale(LC_ALL_MASK, "ja_JP.UTF-8", locale_t{})) {
      std::string text = strerror_l(error.value(), japanese);
      freelocale(japanese);
      return text;
    }
  }
  return error.message();
}

}  // namespace mirelda
