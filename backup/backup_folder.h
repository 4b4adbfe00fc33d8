// The backups that runs keep under the Live2ch folder: one folder a run, named for its start
// time, holding the files the run replaced at their own relative paths and its journal.
#pragma once

#include <cstdint>
#include <ctime>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "backup/journal.h"
#include "util/file_system.h"
#include "util/held_file.h"

namespace mirelda {

/// The folder under the Live2ch folder that holds every run's backup; no conversion reads from
/// it or writes into it.
inline constexpr std::string_view kBackupFolderName = "mirelda-backup";

/// The backups' folder under a Live2ch folder that ends in the separator, itself ending in one.
/// "/l/" => "/l/mirelda-backup/".
std::string BackupRoot(const std::string& live2ch_folder);

/// The journal in a backup folder, which tells what its run did.
inline constexpr std::string_view kManifestName = "mirelda-manifest.txt";

/// A run's start time, local, as the name of its backup folder. => "20261207-093015".
std::string StampOf(std::time_t time);

/// A hash of the bytes of a file, taken as they are written, to tell later whether they are
/// still the same.
class ContentHash {
 public:
  void Add(std::string_view bytes);
  /// The hash and the size together, as the manifest holds them. => "cbf29ce484222325:0".
  std::string Text() const;

  bool operator==(const ContentHash&) const = default;

 private:
  std::uint64_t hash_ = 14695981039346656037u;
  std::uint64_t size_ = 0;
};

/// A run's backup folder and what its journal says.
struct BackupRun {
  std::string stamp;    ///< the folder's name
  std::string journal;  ///< its journal's path as spelt on disk
  JournalState state;
};

/// The runs under a Live2ch folder (ending in the separator) whose journals can be read, in the
/// order of their sequence numbers, oldest first.
std::vector<BackupRun> ListRuns(FileSystem& fs, const std::string& live2ch_folder);

/// The sequence number for the next run: one past the highest of `runs`.
std::uint64_t NextSequence(const std::vector<BackupRun>& runs);

/// Takes the lock that keeps one run at a time on the Live2ch folder (ending in the separator),
/// making the backups' folder and the lock file where they are missing, unless `dry_run`: then
/// nothing is made, and null with no error means there was nothing to lock.
/// std::errc::resource_unavailable_try_again when another run holds it.
std::unique_ptr<HeldFile> LockLive2chFolder(FileSystem& fs, const std::string& live2ch_folder,
                                            bool dry_run, std::error_code& error);

}  // namespace mirelda
