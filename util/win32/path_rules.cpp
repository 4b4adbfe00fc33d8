// How Windows reads a path: drives and network shares as roots, and names that it trims.
#include "util/path.h"

namespace mirelda {

bool IsRootedPath(std::string_view path) {
  if (path.size() >= 3 && path[1] == ':' && IsSeparator(path[2])) return true;
  return path.size() > 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
}

bool IsNameUsedAsWritten(std::string_view name) {
  // A drive, a stream or a second separator; "a." and "a " open "a".
  if (name.find_first_of(":\\") != std::string_view::npos) return false;
  return name.empty() || (name.back() != '.' && name.back() != ' ');
}

}  // namespace mirelda
