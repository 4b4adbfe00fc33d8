// Searching a folder, and if asked its whole subtree, for the files that match a pattern.
#pragma once

#include <functional>
#include <string>
#include <system_error>

#include "util/file_system.h"

namespace mirelda {

/// What a search tells its caller while it runs.
class SearchListener {
 public:
  virtual ~SearchListener() = default;
  /// Called once before each folder is listed, so that a window can process its events.
  virtual void BeforeListing() = 0;
  /// A folder exists but could not be listed, for `reason`; `folder` ends in the separator.
  virtual void CannotList(const std::string& folder, std::error_code reason) = 0;
};

/// Hands to `found`, one at a time as the search goes, the full path of every file in the folder
/// part of `search` (up to and including its last separator) whose name matches the pattern after
/// it ("" means "*.*"), in listing order; with `recurse`, then those of each subfolder, depth
/// first, never through links to folders. A folder that cannot be listed is reported and skipped.
/// Returns false when `search` holds no separator, or with `recurse` when the top folder does not
/// exist. ("/k/*.idx", false) => "/k/a.idx", then "/k/B.IDX".
bool FindFiles(FileSystem& fs, SearchListener& listener, const std::string& search, bool recurse,
               const std::function<void(const std::string& path)>& found);

}  // namespace mirelda
