// The backups that runs keep under the Live2ch folder.
#include "backup/backup_folder.h"

#include <algorithm>
#include <charconv>
#include <iomanip>
#include <optional>
#include <sstream>
#include <tuple>

#include "util/path.h"

namespace mirelda {
namespace {

// The file under the backups' folder that one run at a time holds locked.
constexpr std::string_view kLockName = "mirelda-lock";

}  // namespace

std::string BackupRoot(const std::string& live2ch_folder) {
  std::string root = live2ch_folder;
  root.append(kBackupFolderName).push_back(kSep);
  return root;
}

std::string StampOf(std::time_t time) {
  std::tm local{};
#ifdef _WIN32
  localtime_s(&local, &time);
#else
  localtime_r(&time, &local);
#endif
  std::ostringstream text;
  text << std::put_time(&local, "%Y%m%d-%H%M%S");
  return text.str();
}

void ContentHash::Add(std::string_view bytes) {
  // FNV-1a: any change a person or a program makes to a file changes it.
  for (const char c : bytes) hash_ = (hash_ ^ static_cast<unsigned char>(c)) * 1099511628211u;
  size_ += bytes.size();
}

std::string ContentHash::Text() const {
  char digits[16];
  const char* const end = std::to_chars(digits, digits + sizeof digits, hash_, 16).ptr;
  std::string text(sizeof digits - static_cast<size_t>(end - digits), '0');
  text.append(digits, static_cast<size_t>(end - digits)).append(":").append(std::to_string(size_));
  return text;
}

std::vector<BackupRun> ListRuns(FileSystem& fs, const std::string& live2ch_folder) {
  const std::string root = fs.FoundPath(BackupRoot(live2ch_folder));
  FolderEntries entries;
  fs.ListFolder(root, entries);
  std::vector<BackupRun> runs;
  for (std::string& name : entries.folders) {
    if (!LooksLikeStamp(name)) continue;
    const std::string journal = fs.FoundPath(root + name + kSep + std::string(kManifestName));
    if (std::optional<JournalState> state = ReadJournalState(journal)) {
      runs.push_back({std::move(name), journal, std::move(*state)});
    }
  }
  // Names break ties only so that the order is the same every time.
  std::sort(runs.begin(), runs.end(), [](const BackupRun& a, const BackupRun& b) {
    return std::tie(a.state.header.sequence, a.stamp) < std::tie(b.state.header.sequence, b.stamp);
  });
  return runs;
}

std::uint64_t NextSequence(const std::vector<BackupRun>& runs) {
  return runs.empty() ? 1 : runs.back().state.header.sequence + 1;
}

std::unique_ptr<HeldFile> LockLive2chFolder(FileSystem& fs, const std::string& live2ch_folder,
                                            bool dry_run, std::error_code& error) {
  const std::string root = BackupRoot(live2ch_folder);
  error.clear();
  if (!dry_run && !fs.IsFolder(root)) {
    error = fs.MakeFolder(root);
    if (error && !(error == std::errc::file_exists && fs.IsFolder(root))) return nullptr;
  }
  const std::string path = fs.FoundPath(root + std::string(kLockName));
  // The lock file is made only where a file may be written, which is never in Katjusha's folder.
  if (!dry_run && (error = fs.CheckReplaceable(path))) return nullptr;
  std::unique_ptr<HeldFile> lock = LockFile(path, !dry_run, error);
  if (dry_run && error == std::errc::no_such_file_or_directory) error.clear();
  return lock;
}

}  // namespace mirelda
