// Folder texts as people give them: typed, pasted from Explorer, dropped, or on a command line.
#include "util/given_folder.h"

#include "util/path.h"

namespace mirelda {
namespace {

std::string_view Trimmed(std::string_view text, std::string_view around) {
  const size_t first = text.find_first_not_of(around);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(around) - first + 1);
}

// Explorer's "パスのコピー" puts the path in double quotes, and a paste often brings a space or
// a line end along; no folder name starts or ends with either on Windows.
std::string_view Unquoted(std::string_view text) {
  constexpr std::string_view kBlanks = " \t\r\n";
  return Trimmed(Trimmed(Trimmed(text, kBlanks), "\""), kBlanks);
}

std::string WithHome(std::string_view text, std::string_view home) {
#ifdef _WIN32
  (void)home;
#else
  if (!home.empty() && (text == "~" || text.starts_with("~/"))) {
    return std::string(home) + (home.ends_with('/') ? "" : "/") +
           std::string(text.substr(std::min<size_t>(text.size(), 2)));
  }
#endif
  return std::string(text);
}

// "/k///" => "/k/"; a root keeps its one separator, and a bare drive ("C:") becomes its root.
void OneTrailingSeparator(std::string& path) {
  while (path.size() > 1 && IsSeparator(path.back()) && IsSeparator(path[path.size() - 2])) {
    path.pop_back();
  }
#ifdef _WIN32
  if (path.size() == 2 && path[1] == ':') path.push_back(kSep);
#endif
}

}  // namespace

std::string FolderAsGiven(std::string_view text, FileSystem& fs, std::string_view home) {
  std::string path = WithHome(Unquoted(text), home);
  OneTrailingSeparator(path);
  if (path.empty() || IsSeparator(path.back()) || fs.IsFolder(path)) return path;
  // Katjusha.exe itself, dragged or pasted, or any other file of the folder.
  if (fs.CanOpenForReading(path)) {
    const size_t last = path.find_last_of(kSeparators);
    return last == std::string::npos ? std::string(".") + kSep : path.substr(0, last + 1);
  }
  return path;
}

}  // namespace mirelda
