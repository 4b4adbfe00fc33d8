// The backups that runs keep under the Live2ch folder: one folder a run, named for its start
// time, holding the files the run replaced at their own relative paths and a manifest.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

#include "util/file_system.h"

namespace mirelda {

/// The folder under the Live2ch folder that holds every run's backup; no conversion reads from
/// it or writes into it.
inline constexpr std::string_view kBackupFolderName = "mirelda-backup";

/// The backups' folder under a Live2ch folder that ends in the separator, itself ending in one.
/// "/l/" => "/l/mirelda-backup/".
std::string BackupRoot(const std::string& live2ch_folder);

/// The file in a backup folder that tells what its run did.
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

/// What a backup folder's manifest records. Paths are relative to the Live2ch folder, with the
/// platform separator, spelt as on disk. A file made and then replaced in one run is listed as
/// both, which a restore undoes by putting it back and then removing it.
struct Manifest {
  struct Created {
    std::string path;
    std::string hash;  ///< ContentHash::Text() of the bytes written
  };
  /// For a restore, the backup folder it undid; empty for a conversion run.
  std::string restores;
  /// Set once a restore has undone this run: that restore's backup folder name, or "-" when it
  /// replaced nothing.
  std::string restored_by;
  std::vector<std::string> replaced;         ///< files kept here before they were replaced
  std::vector<Created> created;              ///< files the run made
  std::vector<std::string> created_folders;  ///< folders the run made, parents first
};

/// The first lines of a manifest; `restores` as in Manifest.
std::string ManifestHeader(const std::string& restores);

/// One entry of a manifest. ("replaced", "a/b") => "replaced\ta/b\n".
std::string ManifestLine(std::string_view kind, std::string_view value);

/// One file made, as a manifest entry.
std::string CreatedLine(const Manifest::Created& file);

/// The manifest as text, one entry a line.
std::string FormatManifest(const Manifest& manifest);

/// The manifest that a text written by FormatManifest holds; lines it does not know are skipped.
Manifest ParseManifest(std::string_view text);

/// The names of the backup folders under `backup_root`, oldest first.
std::vector<std::string> ListStamps(FileSystem& fs, const std::string& backup_root);

}  // namespace mirelda
