// Making folder trees over a FileSystem.
#pragma once

#include <mutex>
#include <string>
#include <system_error>
#include <unordered_set>

#include "util/file_system.h"

namespace mirelda {

/// Makes the folders that files are written into. It remembers the folders it has seen or made,
/// so each is looked at once; trees may be made from several threads at once.
class FolderMaker {
 public:
  explicit FolderMaker(FileSystem& fs) : fs_(fs) {}

  /// Creates every missing folder along `path`, parent first, splitting it at every separator the
  /// system knows; the first four components of a network path (two empty ones, server, share)
  /// are never tested or created. A folder that exists by the time it is made is no failure.
  /// "/l/log/h/b/" makes "/l/log/h/" and then "/l/log/h/b/" where they are missing.
  std::error_code MakeTree(const std::string& path);

 private:
  // Makes the folder unless it has been seen or exists.
  std::error_code EnsureFolder(const std::string& folder);

  FileSystem& fs_;
  std::mutex mutex_;  // one folder tree is made at a time, and the set below is shared
  std::unordered_set<std::string> known_;
};

}  // namespace mirelda
