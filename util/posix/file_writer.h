// Writing a file so that it takes its name only whole: unnamed until committed, or a temporary
// renamed over the file it replaces.
#pragma once

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <system_error>

#include "util/file_system.h"
#include "util/posix/name_resolver.h"
#include "util/posix/system.h"

namespace mirelda::posix {

/// Starts the writers of new and replaced files; a new file that takes its name is told to the
/// resolver.
class FileWriters {
 public:
  explicit FileWriters(NameResolver& names);

  /// Starts the new file `target` in its existing folder `folder`, made without a name where
  /// the file system can, so that it is never seen half written; it is not written over a file
  /// that appears meanwhile. Null, with the reason in `error`, when it cannot be started.
  std::unique_ptr<FileWriter> StartNew(const std::string& folder, const Found& target,
                                       std::error_code& error);

  /// Starts a temporary named for this process beside `target` in `folder`, renamed over it once
  /// committed, with the mode and owner of the file it replaces (`old`) or those of a new file.
  /// A replacing or `durable` file is on disk before it takes its name.
  std::unique_ptr<FileWriter> StartTemporary(const std::string& folder, const std::string& target,
                                             std::optional<struct stat> old, std::error_code& error,
                                             bool durable = false);

  /// Why the existing file `target`, of status `st`, may not be replaced, if it may not.
  static std::error_code CheckOwnFile(const std::string& target, const struct stat& st);

 private:
  NameResolver& names_;
  mode_t umask_;
  std::atomic<unsigned> serial_ = 0;
};

}  // namespace mirelda::posix
