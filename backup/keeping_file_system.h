// The file system a run writes the Live2ch folder through: it keeps what it replaces, leaves
// alone what would not change, and in a dry run writes nothing at all.
#pragma once

#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "backup/backup_folder.h"
#include "backup/write_counts.h"
#include "util/folder_maker.h"
#include "util/forwarding_file_system.h"

namespace mirelda {

/// How a run writes.
struct WriteSettings {
  std::string live2ch_folder;  ///< ending in the separator
  std::string stamp;           ///< the backup folder's name, if the run needs one
  bool dry_run = false;        ///< write nothing, only tell what would fail
  bool keep_backup = true;     ///< keep every file before it is replaced
  std::string restores;        ///< for a restore, the backup folder it undoes
};

/// Writes through another file system, and on every file written:
/// - leaves a file that already holds the new bytes as it is, and reads nothing it need not;
/// - keeps a file that is to be replaced in the run's backup folder first, at its relative path
///   as spelt on disk, and does not replace a file it could not keep;
/// - records what the run made, and what it kept, in that folder's manifest;
/// - refuses every write into the backups, whatever the caller's path;
/// - in a dry run writes, makes and removes nothing, and fails where a real write would fail for
///   a reason known without writing.
/// Reads and listings go through as they are. Safe to use from several threads at once.
class KeepingFileSystem final : public ForwardingFileSystem {
 public:
  KeepingFileSystem(FileSystem& inner, WriteSettings settings);

  std::error_code MakeFolder(const std::string& path) override;
  std::unique_ptr<FileWriter> StartReplacing(const std::string& path,
                                             std::error_code& error) override;
  std::error_code SyncWritten() override;
  std::error_code KeepCopy(const std::string& from, const std::string& to) override;
  /// Keeps the file first, as a replaced one is kept.
  std::error_code RemoveFile(const std::string& path) override;
  std::error_code RemoveFolder(const std::string& path) override;

  /// Writes the backup folder's manifest, if the run made that folder.
  std::error_code WriteManifest();

  WriteCounts counts() const;

  /// The backup folder's name, or "" while the run has made none.
  std::string backup_stamp() const;

  /// The backup folder as the log names it, ending in the separator, or "" while the run has
  /// made none.
  std::string backup_folder() const;

 private:
  friend class KeepingWriter;

  // Puts a writer's file in place: keeps the old one first, commits, and counts and records it.
  // In a dry run, only tells whether it could be put in place.
  std::error_code Put(const std::string& path, bool existed, FileWriter* written,
                      const ContentHash& hash);
  // Keeps the existing file `found` in the backup folder, once a run.
  std::error_code Keep(const std::string& found);
  // Counts a file put in place at `path` and records what the manifest needs of it.
  void Record(const std::string& path, bool existed, const ContentHash& hash);
  void Count(int WriteCounts::*count);
  // The backup folder and its manifest are started together, with the first file made or kept;
  // called with mutex_ held.
  std::error_code StartBackup();
  std::error_code MakeBackupFolder();
  // Removes the backup folder of a run that kept nothing in it, and the backups' folder if the
  // run made it and nothing else is in it; called with mutex_ held.
  std::error_code RemoveUnusedBackup();
  bool InBackups(const std::string& path) const;
  // `found` relative to the Live2ch folder.
  std::string Relative(const std::string& found) const;

  const WriteSettings settings_;
  const std::string found_live2ch_;  // the Live2ch folder as spelt on disk
  FolderMaker backup_folders_;       // the folders inside the backup folder

  mutable std::mutex mutex_;  // guards everything below
  WriteCounts counts_;
  std::string stamp_;                     // the backup folder made, or ""
  bool made_root_ = false;                // whether the run made the backups' folder too
  std::error_code backup_error_;          // why the backup folder or manifest could not be started
  std::unique_ptr<FileWriter> manifest_;  // written as files are made, so that it holds no memory
  std::vector<std::string> replaced_;     // kept files, listed at the manifest's end
  std::vector<std::string> made_folders_;
  std::unordered_set<std::string> kept_;                      // keys of replaced_
  std::unordered_map<std::string, ContentHash> dry_written_;  // path key => bytes, in a dry run
};

}  // namespace mirelda
