// The file system a run writes the Live2ch folder through.
#include "backup/keeping_file_system.h"

#include <optional>

#include "util/path.h"

namespace mirelda {
namespace {

// How many backup folders of one second are tried before giving up.
constexpr int kMaxStampNumber = 999;

std::error_code Refused() { return std::make_error_code(std::errc::permission_denied); }

std::string HashOf(std::string_view bytes) {
  ContentHash hash;
  hash.Add(bytes);
  return hash.Text();
}

}  // namespace

/// A file written through KeepingFileSystem. While the new bytes equal the old file's, nothing is
/// written; at the first difference the real writer is started and given what matched so far.
class KeepingWriter final : public FileWriter {
 public:
  // `old` holds the old file's bytes where they could be read; `old_hash` the hash of what a dry
  // run would have written there already. Given `later`, the file is only made ready when
  // committed, and put in place with others by PutAll.
  KeepingWriter(KeepingFileSystem& fs, std::string path, bool existed,
                std::optional<std::string> old, std::optional<ContentHash> old_hash,
                KeepingFileSystem::Later later)
      : fs_(fs),
        path_(std::move(path)),
        before_(existed ? "" : std::string(kNoFile)),
        old_(std::move(old)),
        old_hash_(std::move(old_hash)),
        later_(later) {}

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
    return fs_.Put(path_, before_, written_.get(), hash_, later_);
  }

  // From here on the file is written for real; a dry run only notes that it would be.
  std::error_code Diverge() {
    if (differs_) return {};
    differs_ = true;
    if (old_) before_ = HashOf(*old_);
    if (!fs_.settings_.dry_run) {
      std::error_code error = fs_.NoteWriting(path_);
      if (!error) written_ = fs_.inner().StartReplacing(path_, error);
      if (!written_) return error;
      if (old_) written_->Append(std::string_view(*old_).substr(0, matched_));
    }
    old_.reset();
    return {};
  }

  KeepingFileSystem& fs_;
  const std::string path_;
  std::string before_;              // the old content's hash, kNoFile, or "" while it is not known
  std::optional<std::string> old_;  // the old file's bytes while they may equal the new ones
  const std::optional<ContentHash> old_hash_;
  const KeepingFileSystem::Later later_;
  size_t matched_ = 0;  // how many of them the new bytes have equalled so far
  bool differs_ = false;
  std::unique_ptr<FileWriter> written_;
  ContentHash hash_;
};

std::error_code HashOnDisk(const std::string& found, std::string& hash) {
  ContentHash content;
  const std::error_code error = ReadPieces(found, 0, [&](std::string_view piece) {
    content.Add(piece);
    return true;
  });
  if (error == std::errc::no_such_file_or_directory) {
    hash = std::string(kNoFile);
    return {};
  }
  if (!error) hash = content.Text();
  return error;
}

KeepingFileSystem::KeepingFileSystem(FileSystem& inner, WriteSettings settings)
    : ForwardingFileSystem(inner),
      settings_(std::move(settings)),
      found_live2ch_(inner.FoundPath(settings_.live2ch_folder)),
      backups_key_(PathKey(BackupRoot(settings_.live2ch_folder))),
      backup_folders_(inner) {}

std::error_code KeepingFileSystem::MakeFolder(const std::string& path) {
  if (InBackups(path)) return Refused();
  // A folder can be made wherever a file inside it could be written.
  if (settings_.dry_run) return inner().CheckReplaceable(path + kSep + "x");
  if (!settings_.keep_backup) return inner().MakeFolder(path);
  JournalEntry entry;
  entry.folder = true;
  entry.path = Relative(inner().FoundPath(path));
  while (!entry.path.empty() && IsSeparator(entry.path.back())) entry.path.pop_back();
  return Change(std::move(entry), [&] { return inner().MakeFolder(path); });
}

std::unique_ptr<FileWriter> KeepingFileSystem::StartReplacing(const std::string& path,
                                                              std::error_code& error) {
  WholeRead old{path, kMaxDataFileSize, {}, {}};
  old.error = inner().ReadWholeUpTo(path, old.most, old.bytes);
  return Start(old, error, {});
}

std::error_code KeepingFileSystem::ReplaceWhole(const std::string& path, std::string_view bytes) {
  WholeReplacement file{path, bytes, {}};
  ReplaceEachWhole({&file, 1});
  return file.error;
}

void KeepingFileSystem::ReplaceEachWhole(std::span<WholeReplacement> files) {
  // A file named twice is compared the second time with what the first put there: the files go
  // in runs that name each file once.
  std::unordered_set<std::string> keys;
  std::size_t start = 0;
  for (std::size_t i = 0; i < files.size(); ++i) {
    std::string key = PathKey(files[i].path);
    if (keys.insert(key).second) continue;
    ReplaceEachOnce(files.subspan(start, i - start));
    start = i;
    keys = {std::move(key)};
  }
  ReplaceEachOnce(files.subspan(start));
}

void KeepingFileSystem::ReplaceEachOnce(std::span<WholeReplacement> files) {
  // The old files are read together first, each no further than one byte beyond its new bytes;
  // every file that changes is made ready, then all are journalled in one write and put in place.
  std::vector<WholeRead> olds;
  olds.reserve(files.size());
  for (const WholeReplacement& file : files) {
    olds.push_back({file.path, static_cast<std::int64_t>(file.bytes.size()), {}, {}});
  }
  inner().ReadEachWhole(olds);
  std::vector<ReadyPut> ready;
  std::vector<std::unique_ptr<FileWriter>> writers;  // held until their files are in place
  writers.reserve(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    WholeReplacement& file = files[i];
    writers.push_back(Start(olds[i], file.error, {&ready, &file.error}));
    file.error = CommitWhole(writers.back(), file.bytes, file.error);
  }
  PutAll(ready);
}

std::unique_ptr<FileWriter> KeepingFileSystem::Start(WholeRead& old, std::error_code& error,
                                                     Later later) {
  error.clear();
  const std::string& path = old.path;
  if (InBackups(path)) {
    error = Refused();
    return nullptr;
  }
  if (settings_.dry_run) {
    // What the dry run would have written before stands in for what is on disk.
    const std::lock_guard lock(mutex_);
    if (const auto it = dry_written_.find(PathKey(path)); it != dry_written_.end()) {
      return std::make_unique<KeepingWriter>(*this, path, true, std::nullopt, it->second, later);
    }
  }
  // A file that is there but cannot be read, or holds more than it was read up to, is replaced
  // as one that differs, or fails as such.
  const bool existed = old.error != std::errc::no_such_file_or_directory;
  return std::make_unique<KeepingWriter>(
      *this, path, existed, old.error ? std::nullopt : std::optional(std::move(old.bytes)),
      std::nullopt, later);
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
  if (!settings_.keep_backup) return inner().RemoveFile(found);
  JournalEntry entry;
  entry.path = Relative(found);
  entry.before.clear();
  if (const std::error_code error = Keep(found, entry.before, entry.copy)) return error;
  return Change(std::move(entry), [&] { return inner().RemoveFile(found); });
}

std::error_code KeepingFileSystem::RemoveFolder(const std::string& path) {
  if (InBackups(path)) return Refused();
  return inner().RemoveFolder(path);
}

std::error_code KeepingFileSystem::FinishJournal(bool complete) {
  std::unique_lock lock(mutex_);
  if (!journal_ && settings_.always_journal && !settings_.dry_run && settings_.keep_backup) {
    if (const std::error_code error = StartBackup()) return error;
  }
  if (!journal_) return {};
  lock.unlock();
  return journal_->Finish(complete);
}

WriteCounts KeepingFileSystem::counts() const {
  const std::lock_guard lock(mutex_);
  return counts_;
}

bool KeepingFileSystem::kept_any() const {
  const std::lock_guard lock(mutex_);
  return !kept_.empty();
}

std::string KeepingFileSystem::backup_folder() const {
  const std::lock_guard lock(mutex_);
  return stamp_.empty() ? "" : BackupRoot(settings_.live2ch_folder) + stamp_ + kSep;
}

std::error_code KeepingFileSystem::Put(const std::string& path, std::string before,
                                       FileWriter* written, const ContentHash& hash, Later later) {
  const bool existed = before != kNoFile;
  if (settings_.dry_run) {
    const std::error_code error = inner().CheckReplaceable(path);
    if (!error) {
      Count(existed ? &WriteCounts::replaced : &WriteCounts::created);
      const std::lock_guard lock(mutex_);
      dry_written_[PathKey(path)] = hash;
    }
    return error;
  }
  ReadyPut put{written, existed, {}, later.outcome};
  if (settings_.keep_backup) {
    const std::string found = inner().FoundPath(path);
    put.entry.path = Relative(found);
    put.entry.before = std::move(before);
    put.entry.after = hash.Text();
    if (existed) {
      if (const std::error_code error = Keep(found, put.entry.before, put.entry.copy)) {
        return error;
      }
    }
  }
  if (later.ready != nullptr) {
    later.ready->push_back(std::move(put));
    return {};
  }
  std::error_code error;
  put.outcome = &error;
  PutAll({&put, 1});
  return error;
}

void KeepingFileSystem::PutAll(std::span<ReadyPut> puts) {
  if (puts.empty()) return;
  if (settings_.keep_backup) {
    std::vector<JournalEntry*> entries;
    for (ReadyPut& put : puts) entries.push_back(&put.entry);
    if (const std::error_code error = Journal(entries)) {
      for (ReadyPut& put : puts) *put.outcome = error;
      return;
    }
  }
  std::vector<JournalOutcome> outcomes;
  WriteCounts counts;
  for (ReadyPut& put : puts) {
    const std::error_code error = put.written->Commit();
    outcomes.push_back({put.entry.number, !error});
    if (!error) ++(put.existed ? counts.replaced : counts.created);
    *put.outcome = error;
  }
  if (settings_.keep_backup) journal_->Outcome(outcomes);
  const std::lock_guard lock(mutex_);
  counts_.replaced += counts.replaced;
  counts_.created += counts.created;
}

std::error_code KeepingFileSystem::NoteWriting(const std::string& path) {
  if (!settings_.keep_backup) return {};
  // A folder named as before is the folder found before: the run makes no folder that differs
  // from an existing one only in case, so only a new spelling needs to be found on disk.
  std::string given = GetFolderPart(path);
  {
    const std::lock_guard lock(mutex_);
    if (writing_given_.count(given) != 0) return {};
  }
  JournalEntry entry;
  entry.folder = entry.writing = true;
  // The file's own path stands for its folder, which may be the Live2ch folder itself.
  entry.path = Relative(inner().FoundPath(path));
  {
    const std::lock_guard lock(mutex_);
    writing_given_.insert(std::move(given));
    if (!writing_.insert(GetFolderPart(entry.path)).second) return {};
  }
  JournalEntry* const entries[] = {&entry};
  return Journal(entries);
}

std::error_code KeepingFileSystem::Keep(const std::string& found, std::string& before,
                                        std::string& copy) {
  const std::string relative = Relative(found);
  // Held while the file is kept, so that two writers of one folder cannot make it twice.
  const std::lock_guard lock(mutex_);
  // Kept already in this run: what the folder holds is what was there before the run. Two files
  // whose names differ only in case are two files where the file system says so.
  if (const auto it = kept_.find(relative); it != kept_.end()) {
    before = it->second.before;
    copy = it->second.copy;
    return {};
  }
  if (before.empty()) {
    if (const std::error_code error = HashOnDisk(found, before)) return error;
  }
  if (const std::error_code error = StartBackup()) return error;
  // The backup folder is searched without regard to case, as every folder is; a second file
  // whose name differs only in case is kept under a name of its own.
  std::string name = relative;
  for (int n = 2; !copy_keys_.insert(PathKey(name)).second; ++n) {
    name = relative + "~" + std::to_string(n);
  }
  const std::string kept = BackupRoot(settings_.live2ch_folder) + stamp_ + kSep + name;
  if (const std::error_code error = backup_folders_.MakeTree(GetFolderPart(kept))) return error;
  if (const std::error_code error = inner().KeepCopy(found, kept)) return error;
  kept_[relative] = {name, before};
  copy = name;
  return {};
}

std::error_code KeepingFileSystem::Journal(std::span<JournalEntry* const> entries) {
  {
    const std::lock_guard lock(mutex_);
    if (const std::error_code error = StartBackup()) return error;
  }
  return journal_->Add(entries);
}

std::error_code KeepingFileSystem::Change(JournalEntry entry,
                                          const std::function<std::error_code()>& change) {
  JournalEntry* const entries[] = {&entry};
  if (const std::error_code error = Journal(entries)) return error;
  const std::error_code error = change();
  const JournalOutcome outcome[] = {{entry.number, !error}};
  journal_->Outcome(outcome);
  return error;
}

void KeepingFileSystem::Count(int WriteCounts::*count) {
  const std::lock_guard lock(mutex_);
  ++(counts_.*count);
}

std::error_code KeepingFileSystem::StartBackup() {
  if (journal_ || backup_error_) return backup_error_;
  if ((backup_error_ = MakeBackupFolder())) return backup_error_;
  const std::string journal = inner().FoundPath(BackupRoot(settings_.live2ch_folder) + stamp_ +
                                                kSep + std::string(kManifestName));
  journal_ = JournalWriter::Start(journal, settings_.journal, backup_error_);
  return backup_error_;
}

std::error_code KeepingFileSystem::MakeBackupFolder() {
  const std::string root = BackupRoot(settings_.live2ch_folder);
  if (!inner().IsFolder(root)) {
    const std::error_code error = inner().MakeFolder(root);
    if (error && !(error == std::errc::file_exists && inner().IsFolder(root))) return error;
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
  const std::string key = PathKey(path + kSep);
  return key.compare(0, backups_key_.size(), backups_key_) == 0;
}

std::string KeepingFileSystem::Relative(const std::string& found) const {
  if (found.compare(0, found_live2ch_.size(), found_live2ch_) == 0) {
    return found.substr(found_live2ch_.size());
  }
  return found.substr(std::min(found.size(), settings_.live2ch_folder.size()));
}

}  // namespace mirelda
