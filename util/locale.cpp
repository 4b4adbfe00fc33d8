// The language of the POSIX locale variables, kept apart from the platform halves so that every
// platform's tests hold it to the same table.
#include "util/locale.h"

#include <string_view>

namespace mirelda {

Language LanguageOfLocale(const char* lc_all, const char* lc_messages, const char* lang) {
  for (const char* value : {lc_all, lc_messages, lang}) {
    if (value == nullptr || *value == '\0') continue;
    return std::string_view(value).substr(0, 2) == "ja" ? Language::kJapanese : Language::kEnglish;
  }
  return Language::kEnglish;
}

}  // namespace mirelda
