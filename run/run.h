// The conversion run behind the start button, free of any window.
#pragma once

#include <memory>
#include <string>

#include "backup/write_counts.h"
#include "convert/report.h"
#include "run/kinds.h"
#include "util/cp932.h"
#include "util/file_system.h"
#include "util/held_file.h"

namespace mirelda {

/// How many thread indexes a run converts at once unless asked otherwise: enough to keep a disk
/// busy, few enough to stay small.
inline constexpr int kDefaultJobs = 4;

/// What a front end asks a run to do, taken when the run starts; the run uses nothing else.
struct RunRequest {
  std::string katjusha_folder;  ///< the folder that holds Katjusha.exe
  std::string live2ch_folder;   ///< the folder that holds live2ch.exe
  KindSet kinds;                ///< what to convert
  int jobs = kDefaultJobs;      ///< thread indexes converted at once; 1 converts one at a time
  bool keep_backup = true;      ///< keep every replaced Live2ch file in the run's backup folder
  bool dry_run = false;         ///< read and convert everything, but write nothing
};

/// How a run ended.
enum class RunOutcome {
  kChecksFailed,           ///< a program was not found (or both folders are one); nothing written
  kCompleted,              ///< every file it meant to write was written
  kCompletedWithFailures,  ///< some file could not be written or read, or some folder not listed
  kStopped,                ///< the user stopped it between two files
};

/// The folder text ending in one separator, as the run uses it. "/k" => "/k/", "" => "/".
std::string WithSeparator(std::string folder);

/// Both folder texts of a request as people mean them (FolderAsGiven, "~/" the home folder),
/// ending in the separator: the texts a window shows back.
RunRequest Normalised(RunRequest request, FileSystem& fs);

/// The folder that Live2ch's files are written to for the Live2ch folder `folder` (ending in the
/// separator): its VirtualStore counterpart, which Live2ch reads first, when there is one and
/// the program runs without administrator rights; the folder itself otherwise.
std::string Live2chDataFolder(const std::string& folder);

/// True, once the message that says so has been shown, when the live2ch.exe of `folder` (ending
/// in the separator) is running: it saves its favourites and board list over anything written
/// meanwhile when it exits, and on Windows it holds its files open.
bool Live2chIsRunning(const std::string& folder, RunReport& report, FileSystem& fs);

/// The line that sums up what a run wrote, logged before the last one.
/// => "新規1件、置換2件、変更なし3件、変なidx4件、失敗5件".
std::string SummaryLine(const WriteCounts& counts, int odd_indexes, int failures);

/// The folder made absolute and ending in the separator, as a journal records it, so that it
/// still names the same folder from any working folder. "k" => "/home/u/k/".
std::string AbsoluteFolder(const std::string& folder);

/// Takes the lock that keeps one run at a time on the Live2ch folder (ending in the separator).
/// When it cannot, shows why and sets `refused`: nothing may then be written. Null with
/// `refused` false for a dry run where there is no lock file yet.
std::unique_ptr<HeldFile> TakeLock(const std::string& live2ch_folder, bool dry_run,
                                   RunReport& report, FileSystem& fs, bool& refused);

/// The checks of a run, which it makes before it writes anything: Katjusha.exe and live2ch.exe
/// in the request's folders, and two folders that differ. The message of the first that fails
/// is shown.
bool PassesChecks(RunRequest request, RunReport& report, FileSystem& fs, Cp932Codec& codec);

/// Normalises the request's folders, checks for Katjusha.exe and live2ch.exe, that the folders
/// differ and that this Live2ch is not running (it would save its own files over the new ones
/// when it exits), warns of a running Katjusha, then converts each requested kind in the fixed
/// order, reporting as it goes, never writing into the Katjusha folder; what it wrote is durable
/// before it reports the end. A file whose bytes would not change is left alone, and one that is
/// replaced is first kept in the backup folder named for the run's start, under the Live2ch folder.
RunOutcome RunConversion(RunRequest request, RunReport& report, FileSystem& fs, Cp932Codec& codec);

}  // namespace mirelda
