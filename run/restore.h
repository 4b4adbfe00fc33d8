// Undoing a run from the journal and the files its backup folder kept.
#pragma once

#include <ctime>
#include <optional>
#include <string>

#include "backup/backup_folder.h"
#include "convert/report.h"
#include "util/file_system.h"

namespace mirelda {

/// What a restore is asked to undo.
struct RestoreRequest {
  std::string live2ch_folder;  ///< the folder that holds live2ch.exe
  /// The backup folder's name: that conversion and every later one not undone yet, or that
  /// restore alone. Empty for the restore left unfinished, else the latest conversion not undone.
  std::string stamp;
};

/// How a restore ended.
enum class RestoreOutcome {
  kNoBackup,              ///< no backup at all, or none of that name; nothing changed
  kRefused,               ///< another run holds the Live2ch folder, or it cannot be locked
  kLive2chRunning,        ///< Live2ch runs from the folder; nothing changed
  kNothingLeft,           ///< every conversion run's backup has been restored already
  kRestored,              ///< every file was put back or removed, or kept for a reason told
  kRestoredWithFailures,  ///< some file could not be put back or removed
};

/// The conversion run that a restore without a stamp would undo, as a window names it before.
struct UndoableRun {
  std::string stamp;         ///< its backup folder's name, its start time. "20261207-041501"
  std::size_t created = 0;   ///< files it made
  std::size_t replaced = 0;  ///< files it replaced
};

/// The newest conversion run under the Live2ch folder that no restore has undone; none when
/// there is no such run.
std::optional<UndoableRun> NewestUndoable(FileSystem& fs, const std::string& live2ch_folder);

/// The folder of the backups of the Live2ch folder `live2ch_folder` as given, following it into
/// the VirtualStore as a run does (Live2chDataFolder).
std::string BackupsOf(const std::string& live2ch_folder, FileSystem& fs);

/// Undoes runs, unless Live2ch runs from the folder (as before a conversion), newest first, each
/// from its journal: every file the run changed that still holds
/// what the run wrote gets back what it held before (put back, or removed if the run made it);
/// one that holds anything else is left; folders the run made that are left empty are removed.
/// No write reaches the Katjusha folder the run recorded. Each undo keeps a backup folder and
/// journal of its own, named for `now`, so that it can be undone in turn. One log line a file.
RestoreOutcome RestoreRun(const RestoreRequest& request, RunReport& report, FileSystem& fs,
                          std::time_t now);

}  // namespace mirelda
