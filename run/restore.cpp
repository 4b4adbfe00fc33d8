// Undoing a run from the journal and the files its backup folder kept.
#include "run/restore.h"

#include <algorithm>
#include <map>
#include <vector>

#include "backup/keeping_file_system.h"
#include "run/run.h"
#include "run/run_log.h"
#include "util/folder_maker.h"
#include "util/given_folder.h"
#include "util/path.h"
#include "util/places.h"

namespace mirelda {
namespace {

const BackupRun* FindRun(const std::vector<BackupRun>& runs, std::string_view stamp) {
  const auto it = std::find_if(runs.begin(), runs.end(),
                               [&](const BackupRun& run) { return run.stamp == stamp; });
  return it == runs.end() ? nullptr : &*it;
}

// Whether a run has been undone: the latest restore of it that finished with every change made,
// and is not undone itself, comes after the latest such restore that undid a restore of it. Only
// later runs count, so no journal can make this go round.
class UndoneRuns {
 public:
  explicit UndoneRuns(const std::vector<BackupRun>& runs) : runs_(runs) {}

  bool IsUndone(const BackupRun& run) {
    if (const auto known = undone_.find(run.stamp); known != undone_.end()) return known->second;
    std::uint64_t undone = 0, redone = 0;
    for (const BackupRun& later : runs_) {
      const JournalHeader& header = later.state.header;
      if (header.sequence <= run.state.header.sequence || !later.state.complete ||
          header.kind != RunKind::kRestore) {
        continue;
      }
      const BackupRun* target = FindRun(runs_, header.undoes);
      const bool undoes = header.undoes == run.stamp;
      const bool redoes = target != nullptr && target->state.header.kind == RunKind::kRestore &&
                          target->state.header.undoes == run.stamp;
      if ((undoes || redoes) && !IsUndone(later)) (undoes ? undone : redone) = header.sequence;
    }
    return undone_[run.stamp] = undone > redone;
  }

 private:
  const std::vector<BackupRun>& runs_;
  std::map<std::string, bool> undone_;
};

// What a plain restore undoes: the run of the newest restore that was killed or failed and is
// not finished since, or else the newest conversion not undone; newer of the two first.
std::vector<const BackupRun*> PlainTargets(const std::vector<BackupRun>& runs) {
  UndoneRuns undone(runs);
  for (auto run = runs.rbegin(); run != runs.rend(); ++run) {
    const JournalHeader& header = run->state.header;
    if (header.kind == RunKind::kConversion && !undone.IsUndone(*run)) return {&*run};
    if (header.kind != RunKind::kRestore || run->state.complete || undone.IsUndone(*run)) continue;
    const BackupRun* unfinished = FindRun(runs, header.undoes);
    if (unfinished != nullptr && !undone.IsUndone(*unfinished)) return {unfinished};
  }
  return {};
}

// What undoing a named run takes: a restore alone; a conversion, with every later conversion not
// undone yet, newest first.
std::vector<const BackupRun*> NamedTargets(const std::vector<BackupRun>& runs,
                                           const BackupRun& named) {
  if (named.state.header.kind == RunKind::kRestore) return {&named};
  UndoneRuns undone(runs);
  std::vector<const BackupRun*> targets;
  for (auto run = runs.rbegin(); run != runs.rend() && &*run != &named; ++run) {
    if (run->state.header.kind == RunKind::kConversion && !undone.IsUndone(*run)) {
      targets.push_back(&*run);
    }
  }
  targets.push_back(&named);
  return targets;
}

// A journal line as a log line can show it: control bytes as '?', and not too long.
std::string Shown(std::string_view line) {
  std::string shown(line.substr(0, 200));
  for (char& c : shown) {
    if (static_cast<unsigned char>(c) < 0x20) c = '?';
  }
  return shown;
}

// Undoes the changes of one journal, one log line a file.
class Restorer {
 public:
  Restorer(std::string live2ch_folder, std::string source, RunReport& report, FileSystem& fs,
           KeepingFileSystem& writes)
      : live2ch_(std::move(live2ch_folder)),
        source_(std::move(source)),
        report_(report),
        fs_(fs),
        writes_(writes),
        folders_(writes) {}

  void Undo(const std::optional<JournalEntry>& entry, std::string_view line) {
    if (!entry) {
      report_.AddLine(source_ + std::string(kManifestName) + "の「" + Shown(line) +
                      "」は使えないため元に戻しませんでした");
      ++failures_;
    } else if (entry->writing) {
      RemoveTemporaries(GetFolderPart(live2ch_ + entry->path));
    } else if (entry->folder) {
      // One that is not empty is still used, and stays.
      writes_.RemoveFolder(live2ch_ + entry->path);
    } else {
      UndoFile(*entry);
    }
  }

  void Fail(const std::string& line, const std::string& path, std::error_code error) {
    report_.AddLine(line);
    report_.ExplainFailure(path, error);
    ++failures_;
  }

  int failures() const { return failures_; }

 private:
  // Removes the temporaries a killed run left in the folder: while the restore holds the lock,
  // no run on this Live2ch folder is writing one.
  void RemoveTemporaries(const std::string& folder) {
    FolderEntries entries;
    fs_.ListFolder(folder, entries);
    for (const std::string& name : entries.files) {
      if (TemporaryOwner(name) != 0) fs_.RemoveFile(folder + name);
    }
  }

  // Gives the file back what it held before the run, if it still holds what the run wrote.
  void UndoFile(const JournalEntry& entry) {
    const std::string target = live2ch_ + entry.path;
    std::string now;
    if (const std::error_code error = HashOnDisk(fs_.FoundPath(target), now)) {
      return Fail(target + "を読み込めませんでした", target, error);
    }
    if (now == entry.before) {
      return report_.AddLine(
          target + (entry.before == kNoFile ? "はすでにありません" : "はすでに元のままです"));
    }
    if (now != entry.after) {
      return report_.AddLine(target + "は変換の後で変更されているため残しました");
    }
    if (entry.before != kNoFile) return PutBack(entry, target);
    if (const std::error_code error = writes_.RemoveFile(target)) {
      return Fail(target + "を削除できませんでした", target, error);
    }
    report_.AddLine(target + "を削除しました");
  }

  // Puts the kept file back in one step, copied in pieces so that a file of any size goes back;
  // a kept file that is not what was kept is not used.
  void PutBack(const JournalEntry& entry, const std::string& target) {
    const std::string kept = source_ + entry.copy;
    std::error_code error = folders_.MakeTree(GetFolderPart(target));
    std::unique_ptr<FileWriter> writer;
    if (!error) writer = writes_.StartReplacing(target, error);
    if (!writer) return Fail(target + "に書き込めませんでした", target, error);
    ContentHash copied;
    error = entry.copy.empty() ? std::make_error_code(std::errc::no_such_file_or_directory)
                               : ReadPieces(fs_.FoundPath(kept), 0, [&](std::string_view piece) {
                                   copied.Add(piece);
                                   writer->Append(piece);
                                   return true;
                                 });
    if (!error && copied.Text() != entry.before) error = std::make_error_code(std::errc::io_error);
    if (error) return Fail(kept + "を読み込めませんでした", kept, error);
    if ((error = writer->Commit())) return Fail(target + "に書き込めませんでした", target, error);
    report_.AddLine(target + "を元に戻しました");
  }

  const std::string live2ch_;
  const std::string source_;
  RunReport& report_;
  FileSystem& fs_;
  KeepingFileSystem& writes_;
  FolderMaker folders_;
  int failures_ = 0;
};

// What undoing one run came to.
struct Undone {
  int failures = 0;
  std::string backup_folder;  // the undo's own, with its journal
};

// Undoes one run as a restore of its own, journalled as `sequence`.
Undone Undo(const BackupRun& run, const std::string& live2ch, std::uint64_t sequence,
            RunReport& report, FileSystem& fs, std::time_t now) {
  const std::string source = BackupRoot(live2ch) + run.stamp + kSep;
  report.AddLine(source + "から元に戻します");
  const JournalHeader& undone = run.state.header;
  // A restore writes only where the run could have: never into the Katjusha folder it names.
  const RunOnFileSystem run_on_fs(fs, undone.katjusha_folder);
  WriteSettings settings;
  settings.live2ch_folder = live2ch;
  settings.stamp = StampOf(now);
  settings.journal = {
      sequence, RunKind::kRestore, AbsoluteFolder(live2ch), undone.katjusha_folder, run.stamp, now};
  settings.always_journal = true;
  KeepingFileSystem writes(fs, settings);
  Restorer restorer(live2ch, source, report, fs, writes);
  if (!ForEachChangeNewestFirst(run.journal, [&](const auto& entry, std::string_view line) {
        restorer.Undo(entry, line);
      })) {
    restorer.Fail(run.journal + "を読み込めませんでした", run.journal,
                  std::make_error_code(std::errc::io_error));
  }
  if (const std::error_code error = writes.FinishJournal(restorer.failures() == 0)) {
    restorer.Fail(writes.backup_folder() + "に書き込めませんでした", writes.backup_folder(), error);
  }
  if (const std::error_code error = writes.SyncWritten()) {
    restorer.Fail(live2ch + "に書き込めませんでした", live2ch, error);
  }
  if (writes.kept_any())
    report.AddLine(writes.backup_folder() + "に置き換え前のファイルを保存しました");
  return {restorer.failures(), writes.backup_folder()};
}

// Saves the restore's whole log beside the journal of each undo it made; the number of
// failures.
int SaveLog(const RunLog& log, const std::vector<std::string>& backup_folders, RunReport& report,
            FileSystem& fs) {
  int failures = 0;
  for (const std::string& folder : backup_folders) {
    if (folder.empty()) continue;
    if (const std::error_code error = log.SaveInto(fs, folder)) {
      const std::string path = folder + std::string(kLogName);
      report.AddLine(path + "に書き込めませんでした");
      report.ExplainFailure(path, error);
      ++failures;
    }
  }
  return failures;
}

// The folder where Live2ch's files are, for the Live2ch folder as the user gave it: the
// VirtualStore's, where Windows keeps them there.
std::string DataFolderOf(const std::string& live2ch_folder, FileSystem& fs) {
  return Live2chDataFolder(WithSeparator(FolderAsGiven(live2ch_folder, fs, HomeFolder())));
}

}  // namespace

std::optional<UndoableRun> NewestUndoable(FileSystem& fs, const std::string& live2ch_folder) {
  const std::vector<BackupRun> runs = ListRuns(fs, DataFolderOf(live2ch_folder, fs));
  const std::vector<const BackupRun*> targets = PlainTargets(runs);
  if (targets.empty()) return std::nullopt;
  UndoableRun undoable{targets.front()->stamp};
  ForEachChangeNewestFirst(targets.front()->journal,
                           [&](const std::optional<JournalEntry>& entry, std::string_view) {
                             if (!entry || entry->folder) return;
                             if (entry->before == kNoFile) ++undoable.created;
                             if (entry->before != kNoFile && entry->after != kNoFile) {
                               ++undoable.replaced;
                             }
                           });
  return undoable;
}

std::string BackupsOf(const std::string& live2ch_folder, FileSystem& fs) {
  return BackupRoot(DataFolderOf(live2ch_folder, fs));
}

RestoreOutcome RestoreRun(const RestoreRequest& request, RunReport& report, FileSystem& fs,
                          std::time_t now) {
  const std::string given = WithSeparator(FolderAsGiven(request.live2ch_folder, fs, HomeFolder()));
  if (Live2chIsRunning(given, report, fs)) return RestoreOutcome::kLive2chRunning;
  // What a run wrote into the VirtualStore, and kept there, is put back there.
  const std::string live2ch = Live2chDataFolder(given);
  if (!fs.IsFolder(BackupRoot(live2ch))) return RestoreOutcome::kNoBackup;
  bool refused = false;
  const auto lock = TakeLock(live2ch, false, report, fs, refused);
  if (refused) return RestoreOutcome::kRefused;
  const std::vector<BackupRun> runs = ListRuns(fs, live2ch);
  const BackupRun* named = request.stamp.empty() ? nullptr : FindRun(runs, request.stamp);
  if (runs.empty() || (!request.stamp.empty() && named == nullptr)) {
    return RestoreOutcome::kNoBackup;
  }
  const std::vector<const BackupRun*> targets =
      named != nullptr ? NamedTargets(runs, *named) : PlainTargets(runs);
  if (targets.empty()) {
    report.AddLine("元に戻していない変換はありません");
    return RestoreOutcome::kNothingLeft;
  }
  std::uint64_t sequence = NextSequence(runs);
  RunLog log(report);
  int failures = 0;
  std::vector<std::string> backup_folders;
  for (const BackupRun* run : targets) {
    const Undone undone = Undo(*run, live2ch, sequence++, log, fs, now);
    failures += undone.failures;
    backup_folders.push_back(undone.backup_folder);
  }
  log.AddLine(failures == 0 ? "すべて元に戻しました" : "元に戻せなかったファイルがあります");
  failures += SaveLog(log, backup_folders, report, fs);
  return failures == 0 ? RestoreOutcome::kRestored : RestoreOutcome::kRestoredWithFailures;
}

}  // namespace mirelda
