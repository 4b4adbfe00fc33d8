// Making folder trees over a FileSystem.
#include "util/folder_maker.h"

#include <algorithm>

#include "util/path.h"

namespace mirelda {

std::error_code FolderMaker::EnsureFolder(const std::string& folder) {
  if (known_.count(folder) != 0) return {};
  if (!fs_.IsFolder(folder)) {
    const std::error_code error = fs_.MakeFolder(folder);
    // Another program may have made it since it was looked for, which is just as good.
    if (error && !(error == std::errc::file_exists && fs_.IsFolder(folder))) return error;
  }
  known_.insert(folder);
  return {};
}

std::error_code FolderMaker::MakeTree(const std::string& path) {
  const std::lock_guard lock(mutex_);
  if (path.empty() || known_.count(path) != 0) return {};
  const bool network = path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1]);
  std::string prefix;
  size_t component = 0;
  for (size_t start = 0; start <= path.size(); ++component) {
    // Split where the system splits, which on Windows is at '/' as well.
    const size_t end = std::min(path.find_first_of(kSeparators, start), path.size());
    const bool empty = end == start;
    prefix.append(path, start, end - start);
    prefix.push_back(kSep);
    start = end + 1;
    // An empty component adds a doubled separator, which names the folder before it.
    if ((network && component < 4) || empty) continue;
    if (const std::error_code error = EnsureFolder(prefix)) return error;
  }
  known_.insert(path);
  return {};
}

}  // namespace mirelda
