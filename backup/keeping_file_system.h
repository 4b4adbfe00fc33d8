// The file system a run writes the Live2ch folder through: it keeps what it replaces, journals
// every change before making it, leaves alone what would not change, and in a dry run writes
// nothing at all.
#pragma once

#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <system_error>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "backup/backup_folder.h"
#include "backup/journal.h"
#include "backup/write_counts.h"
#include "util/folder_maker.h"
#include "util/forwarding_file_system.h"

namespace mirelda {

/// How a run writes.
struct WriteSettings {
  std::string live2ch_folder;  ///< ending in the separator
  std::string stamp;           ///< the backup folder's name, if the run needs one
  bool dry_run = false;        ///< write nothing, only tell what would fail
  bool keep_backup = true;     ///< keep every file before it is replaced, and journal the run
  JournalHeader journal;       ///< the header of the run's journal
  /// Keep a journal even if nothing is changed: a restore's journal is what marks its run undone.
  bool always_journal = false;
};

/// Writes through another file system, and on every file written:
/// - leaves a file that already holds the new bytes as it is, and reads nothing it need not;
/// - keeps a file that is to be replaced in the run's backup folder first, at its relative path
///   as spelt on disk, and does not replace a file it could not keep;
/// - appends each change to the run's journal before making it, and its outcome after;
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
  /// Reads the file no further than one byte beyond what `bytes` hold to tell whether it holds
  /// them already.
  std::error_code ReplaceWhole(const std::string& path, std::string_view bytes) override;
  /// Journals every file that changes in one write.
  void ReplaceEachWhole(std::span<WholeReplacement> files) override;
  std::error_code SyncWritten() override;
  std::error_code KeepCopy(const std::string& from, const std::string& to) override;
  /// Keeps the file first, as a replaced one is kept.
  std::error_code RemoveFile(const std::string& path) override;
  std::error_code RemoveFolder(const std::string& path) override;

  /// Ends the journal with its last line; `complete` when every change the run meant to make was
  /// made.
  std::error_code FinishJournal(bool complete);

  WriteCounts counts() const;

  /// Whether the run has kept any file.
  bool kept_any() const;

  /// The backup folder as the log names it, ending in the separator, or "" while the run has
  /// made none.
  std::string backup_folder() const;

 private:
  friend class KeepingWriter;

  // A file made ready to be put in place, waiting for its journal line.
  struct ReadyPut {
    FileWriter* written;       // what puts it in place
    bool existed;              // whether it replaces a file
    JournalEntry entry;        // its change, when the run is journalled
    std::error_code* outcome;  // told whether it was put in place
  };
  // Where a writer's file goes when it is committed: put in place at once, or, with `ready`,
  // added there to be put in place with others, and its outcome told to `outcome` then.
  struct Later {
    std::vector<ReadyPut>* ready = nullptr;
    std::error_code* outcome = nullptr;
  };

  // Replaces files of which none is named twice.
  void ReplaceEachOnce(std::span<WholeReplacement> files);
  // Starts a writer for `old.path` that compares the new bytes with the old file as `old` was
  // read, up to `old.most` bytes, which are all of it where it has no more.
  std::unique_ptr<FileWriter> Start(WholeRead& old, std::error_code& error, Later later);
  // Puts a writer's file in place: keeps the old one first, journals, commits, and counts it; or
  // only keeps the old one and makes the file ready, where `later` says so. In a dry run, only
  // tells whether it could be put in place. `before` is the old file's hash, or kNoFile for a new
  // one, or "" when it is still to be found.
  std::error_code Put(const std::string& path, std::string before, FileWriter* written,
                      const ContentHash& hash, Later later);
  // Journals the files made ready in one write, then puts each in place and counts it.
  void PutAll(std::span<ReadyPut> puts);
  // Journals, once a folder, that the file's folder may get a temporary, so that a restore after
  // a kill knows where to look for one.
  std::error_code NoteWriting(const std::string& path);
  // Keeps the existing file `found`, once a run, and tells the kept copy's name and content.
  std::error_code Keep(const std::string& found, std::string& before, std::string& copy);
  // Appends changes to the journal in one write, starting the backup first if need be.
  std::error_code Journal(std::span<JournalEntry* const> entries);
  // Journals a change, makes it with `change`, and journals its outcome.
  std::error_code Change(JournalEntry entry, const std::function<std::error_code()>& change);
  void Count(int WriteCounts::*count);
  // The backup folder and its journal are started together, before the first change; called
  // with mutex_ held.
  std::error_code StartBackup();
  std::error_code MakeBackupFolder();
  bool InBackups(const std::string& path) const;
  // `found` relative to the Live2ch folder.
  std::string Relative(const std::string& found) const;

  // What is known of a file kept in this run.
  struct Kept {
    std::string copy;    // relative to the backup folder
    std::string before;  // its content
  };

  const WriteSettings settings_;
  const std::string found_live2ch_;  // the Live2ch folder as spelt on disk
  const std::string backups_key_;    // PathKey of the folder that holds the backups
  FolderMaker backup_folders_;       // the folders inside the backup folder

  mutable std::mutex mutex_;  // guards everything below
  WriteCounts counts_;
  std::string stamp_;                           // the backup folder made, or ""
  std::error_code backup_error_;                // why the backup folder or journal could not start
  std::unique_ptr<JournalWriter> journal_;      // appended to as the run goes
  bool failed_ = false;                         // some journalled change failed
  std::unordered_map<std::string, Kept> kept_;  // by relative path exactly as spelt on disk
  std::unordered_set<std::string> copy_keys_;   // PathKey of every copy's name
  std::unordered_set<std::string> writing_;     // folders journalled by NoteWriting
  std::unordered_set<std::string> writing_given_;  // the same folders as callers name them
  std::unordered_map<std::string, ContentHash> dry_written_;  // path key => bytes, in a dry run
};

/// The hash of a file's content as it is on disk, read in pieces; kNoFile for a missing file.
/// `found` is spelt as on disk.
std::error_code HashOnDisk(const std::string& found, std::string& hash);

}  // namespace mirelda
