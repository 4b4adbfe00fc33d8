// Keeping writes out of a protected folder, and knowing which file systems were written to.
#pragma once

#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <system_error>
#include <unordered_map>

#include "util/posix/system.h"

namespace mirelda::posix {

/// Refuses every folder that lies in the protected one, however its path reaches there, by
/// following its real parents. The first write into a folder also notes its file system, to be
/// made durable at the end, and removes the temporaries that writers no longer running left there.
/// Safe to use from several threads at once.
class FolderGuard {
 public:
  FolderGuard() = default;
  FolderGuard(const FolderGuard&) = delete;
  FolderGuard& operator=(const FolderGuard&) = delete;
  ~FolderGuard();

  /// Starts a run: forgets every folder met, and from now on refuses the folder `protected_id`
  /// (none when it is gone) and all below it.
  void BeginRun(std::optional<FileId> protected_id);

  /// Ends a run: lets go of the file systems that SyncWritten makes durable.
  void EndRun();

  /// Why nothing may be written into the existing folder (std::errc::permission_denied when it
  /// lies in the protected one); readies it for its first write.
  std::error_code PrepareFolder(const std::string& folder);

  /// Why nothing could be written into an existing folder, looked at without writing there.
  std::error_code CheckWritableFolder(const std::string& folder);

  /// Notes a folder that was just made in a folder that was prepared: it lies where its parent
  /// lies, and holds no temporaries.
  void KnowMade(const std::string& folder);

  /// Lets go of a removed folder.
  void Forget(const std::string& removed);

  /// Makes everything written to the file systems of the folders prepared durable.
  std::error_code SyncWritten();

 private:
  std::error_code VisitFolder(const std::string& folder, bool& in_protected, bool written);
  std::error_code LiesInProtected(int fd, FileId id, bool& inside);

  std::mutex mutex_;                                       // guards everything below
  std::optional<FileId> protected_;                        // no write may land in it
  std::unordered_map<std::string, bool> written_folders_;  // folder written into => in protected_
  std::map<FileId, bool> folder_ids_;                      // real folder met => in protected_
  std::map<dev_t, int> synced_;                            // file system written to => a folder
};

}  // namespace mirelda::posix
