// The file system a run writes the Live2ch folder through.
#include "backup/keeping_file_system.h"

#include <optional>

#include "util/path.h"

namespace mirelda {
namespace {

// How many backup folders of one second are tried before giving up.
constexpr int kMaxStampNumber = 999;

std::error_code Refused() { return std::make_error_code(std::errc::permission_denied); }

}  // namespace

/// A file written through KeepingFileSystem. While the new bytes equal the old file's, nothing is
/// written; at the first difference the real writer is started and given what matched so far.
class KeepingWriter final : public FileWriter {
 public:
  // `old` holds the old file's bytes where they could be read; `old_hash` the hash of what a dry
  // run would have written there already.
  KeepingWriter(KeepingFileSystem& fs, std::string path, bool existed,
                std::optional<std::string> old, std::optional<ContentHash> old_hash)
      : fs_(fs),
        path_(std::move(path)),
        existed_(existed),
        old_(std::move(old)),
        old_hash_(std::move(old_hash)) {}

 private:
  std::error_code Write(std::string_view bytes) override {
    hash_.Add(bytes);
    if (!differs_ && old_ && old_->compare(matched_, bytes.size(), bytes) == 0) {
      matched_ += bytes.size();
      return {};
    }
    if (const std::error_code error = Diverge()) return error;
    if (written_) written_->Append(bytes);
    return {};
  }

  std::error_code Finish() override {
    if ((!differs_ && old_ && matched_ == old_->size()) || (old_hash_ && *old_hash_ == hash_)) {
      fs_.Count(&WriteCounts::unchanged);
      return {};
    }
    if (const std::error_code error = Diverge()) return error;
    return fs_.Put(path_, existed_, written_.get(), hash_);
  }

  // From here on the file is written for real; a dry run only notes that it would be.
  std::error_code Diverge() {
    if (differs_) return {};
    differs_ = true;
    if (!fs_.settings_.dry_run) {
      std::error_code error;
      written_ = fs_.inner().StartReplacing(path_, error);
      if (!written_) return error;
      if (old_) written_->Append(std::string_view(*old_).substr(0, matched_));
    }
    old_.reset();
    return {};
  }

  KeepingFileSystem& fs_;
  const std::string path_;
  const bool existed_;
  std::optional<std::string> old_;  // the old file's bytes while they may equal the new ones
  const std::optional<ContentHash> old_hash_;
  size_t matched_ = 0;  // how many of them the new bytes have equalled so far
  bool differs_ = false;
  std::unique_ptr<FileWriter> written_;
  ContentHash hash_;
};

KeepingFileSystem::KeepingFileSystem(FileSystem& inner, WriteSettings settings)
    : ForwardingFileSystem(inner),
      settings_(std::move(settings)),
      found_live2ch_(inner.FoundPath(settings_.live2ch_folder)),
      backup_folders_(inner) {}

std::error_code KeepingFileSystem::MakeFolder(const std::string& path) {
  if (InBackups(path)) return Refused();
  // A folder can be made wherever a file inside it could be written.
  if (settings_.dry_run) return inner().CheckReplaceable(path + kSep + "x");
  if (const std::error_code error = inner().MakeFolder(path)) return error;
  const std::string relative = Relative(inner().FoundPath(path));
  const std::lock_guard lock(mutex_);
  made_folders_.push_back(relative);
  return {};
}

std::unique_ptr<FileWriter> KeepingFileSystem::StartReplacing(const std::string& path,
                                                              std::error_code& error) {
  error.clear();
  if (InBackups(path)) {
    error = Refused();
    return nullptr;
  }
  if (settings_.dry_run) {
    // What the dry run would have written before stands in for what is on disk.
    const std::lock_guard lock(mutex_);
    if (const auto it = dry_written_.find(PathKey(path)); it != dry_written_.end()) {
      return std::make_unique<KeepingWriter>(*this, path, true, std::nullopt, it->second);
    }
  }
  std::string old;
  const std::error_code read = inner().ReadWhole(path, old);
  // A file that is there but cannot be read is replaced as one that differs, or fails as such.
  const bool existed = read != std::errc::no_such_file_or_directory;
  return std::make_unique<KeepingWriter>(
      *this, path, existed, read ? std::nullopt : std::optional(std::move(old)), std::nullopt);
}

std::error_code KeepingFileSystem::SyncWritten() {
  return settings_.dry_run ? std::error_code{} : inner().SyncWritten();
}

std::error_code KeepingFileSystem::KeepCopy(const std::string& from, const std::string& to) {
  if (InBackups(to)) return Refused();
  return inner().KeepCopy(from, to);
}

std::error_code KeepingFileSystem::RemoveFile(const std::string& path) {
  if (InBackups(path)) return Refused();
  const std::string found = inner().FoundPath(path);
  if (settings_.keep_backup) {
    if (const std::error_code error = Keep(found)) return error;
  }
  return inner().RemoveFile(found);
}

std::error_code KeepingFileSystem::RemoveFolder(const std::string& path) {
  if (InBackups(path)) return Refused();
  return inner().RemoveFolder(path);
}

std::error_code KeepingFileSystem::WriteManifest() {
  const std::lock_guard lock(mutex_);
  // A run that kept nothing needs no manifest, even if it could not start one.
  if (stamp_.empty()) return {};
  if (kept_.empty()) return RemoveUnusedBackup();
  if (!manifest_) return backup_error_;
  for (const std::string& folder : made_folders_) manifest_->Append(ManifestLine("folder", folder));
  for (const std::string& file : replaced_) manifest_->Append(ManifestLine("replaced", file));
  return manifest_->Commit();
}

std::error_code KeepingFileSystem::RemoveUnusedBackup() {
  manifest_.reset();
  const std::string root = BackupRoot(settings_.live2ch_folder);
  const std::error_code error = inner().RemoveFolder(root + stamp_);
  stamp_.clear();
  // Another run's backups may have come meanwhile; they stay, and so does the folder.
  if (!error && made_root_) inner().RemoveFolder(root);
  return error;
}

WriteCounts KeepingFileSystem::counts() const {
  const std::lock_guard lock(mutex_);
  return counts_;
}

std::string KeepingFileSystem::backup_stamp() const {
  const std::lock_guard lock(mutex_);
  return stamp_;
}

std::string KeepingFileSystem::backup_folder() const {
  const std::string stamp = backup_stamp();
  return stamp.empty() ? "" : BackupRoot(settings_.live2ch_folder) + stamp + kSep;
}

std::error_code KeepingFileSystem::Put(const std::string& path, bool existed, FileWriter* written,
                                       const ContentHash& hash) {
  if (settings_.dry_run) {
    const std::error_code error = inner().CheckReplaceable(path);
    if (!error) {
      Record(path, existed, hash);
      const std::lock_guard lock(mutex_);
      dry_written_[PathKey(path)] = hash;
    }
    return error;
  }
  if (existed && settings_.keep_backup) {
    if (const std::error_code error = Keep(inner().FoundPath(path))) return error;
  }
  if (const std::error_code error = written->Commit()) return error;
  Record(path, existed, hash);
  return {};
}

std::error_code KeepingFileSystem::Keep(const std::string& found) {
  const std::string relative = Relative(found);
  const std::string key = PathKey(relative);
  // Held while the file is kept, so that two writers of one folder cannot make it twice.
  const std::lock_guard lock(mutex_);
  // Kept already in this run: what the folder holds is what was there before the run.
  if (kept_.count(key) != 0) return {};
  if (const std::error_code error = StartBackup()) return error;
  const std::string copy = BackupRoot(settings_.live2ch_folder) + stamp_ + kSep + relative;
  if (const std::error_code error = backup_folders_.MakeTree(GetFolderPart(copy))) return error;
  if (const std::error_code error = inner().KeepCopy(found, copy)) return error;
  kept_.insert(key);
  replaced_.push_back(relative);
  return {};
}

void KeepingFileSystem::Record(const std::string& path, bool existed, const ContentHash& hash) {
  Count(existed ? &WriteCounts::replaced : &WriteCounts::created);
  // Only a backup folder could use the manifest, and only a run that keeps one needs it.
  if (existed || settings_.dry_run || !settings_.keep_backup) return;
  const std::string line = CreatedLine({Relative(inner().FoundPath(path)), hash.Text()});
  const std::lock_guard lock(mutex_);
  if (!StartBackup()) manifest_->Append(line);
}

void KeepingFileSystem::Count(int WriteCounts::*count) {
  const std::lock_guard lock(mutex_);
  ++(counts_.*count);
}

std::error_code KeepingFileSystem::StartBackup() {
  if (manifest_ || backup_error_) return backup_error_;
  if ((backup_error_ = MakeBackupFolder())) return backup_error_;
  const std::string folder = BackupRoot(settings_.live2ch_folder) + stamp_ + kSep;
  manifest_ = inner().StartReplacing(folder + std::string(kManifestName), backup_error_);
  if (manifest_) manifest_->Append(ManifestHeader(settings_.restores));
  return backup_error_;
}

std::error_code KeepingFileSystem::MakeBackupFolder() {
  if (!stamp_.empty()) return {};
  const std::string root = BackupRoot(settings_.live2ch_folder);
  if (!inner().IsFolder(root)) {
    const std::error_code error = inner().MakeFolder(root);
    if (error && !(error == std::errc::file_exists && inner().IsFolder(root))) return error;
    made_root_ = !error;
  }
  // Two runs in one second get a folder each.
  for (int number = 1; number <= kMaxStampNumber; ++number) {
    std::string stamp = settings_.stamp;
    if (number > 1) stamp.append("-").append(std::to_string(number));
    const std::error_code error = inner().MakeFolder(root + stamp);
    if (!error) {
      stamp_ = std::move(stamp);
      return {};
    }
    if (error != std::errc::file_exists) return error;
  }
  return std::make_error_code(std::errc::file_exists);
}

bool KeepingFileSystem::InBackups(const std::string& path) const {
  const std::string root = PathKey(BackupRoot(settings_.live2ch_folder));
  const std::string key = PathKey(path + kSep);
  return key.compare(0, root.size(), root) == 0;
}

std::string KeepingFileSystem::Relative(const std::string& found) const {
  if (found.compare(0, found_live2ch_.size(), found_live2ch_) == 0) {
    return found.substr(found_live2ch_.size());
  }
  return found.substr(std::min(found.size(), settings_.live2ch_folder.size()));
}

}  // namespace mirelda
