// Searching a folder, and if asked its whole subtree, for the files that match a pattern.
#include "util/find_files.h"

#include <algorithm>
#include <vector>

#include "util/path.h"

namespace mirelda {
namespace {

void SortForListing(std::vector<std::string>& names) {
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) { return ListingOrderLess(a, b); });
}

}  // namespace

bool FindFiles(FileSystem& fs, SearchListener& listener, const std::string& search, bool recurse,
               const std::function<void(const std::string& path)>& found) {
  const auto last = search.rfind(kSep);
  if (last == std::string::npos) return false;
  std::string pattern = search.substr(last + 1);
  if (pattern.empty()) pattern = "*.*";

  // Folders still to search, deepest last; an explicit stack keeps very deep trees off the
  // call stack. Each folder's subfolders are pushed in reverse so they come off in order.
  const std::string top = search.substr(0, last + 1);
  std::vector<std::string> pending{top};
  while (!pending.empty()) {
    const std::string folder = std::move(pending.back());
    pending.pop_back();
    listener.BeforeListing();
    FolderEntries entries;
    if (const std::error_code error = fs.ListFolder(folder, entries)) {
      // A missing top folder just has nothing to find; any other folder was there a moment ago.
      if (folder == top && error == std::errc::no_such_file_or_directory) return !recurse;
      listener.CannotList(folder, error);
      continue;
    }
    SortForListing(entries.files);
    for (const std::string& name : entries.files) {
      if (MatchesPattern(pattern, name)) found(folder + name);
    }
    if (!recurse) break;
    SortForListing(entries.folders);
    for (auto it = entries.folders.rbegin(); it != entries.folders.rend(); ++it) {
      pending.push_back(folder + *it + kSep);
    }
  }
  return true;
}

}  // namespace mirelda
