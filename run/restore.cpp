// Undoing a conversion run from the backup it kept.
#include "run/restore.h"

#include <algorithm>
#include <vector>

#include "backup/keeping_file_system.h"
#include "run/run.h"
#include "util/find_files.h"
#include "util/folder_maker.h"
#include "util/given_folder.h"
#include "util/path.h"
#include "util/places.h"

namespace mirelda {
namespace {

// A search of a backup folder, which no window waits on; what cannot be listed is not restored.
class QuietSearch final : public SearchListener {
  void BeforeListing() override {}
  void CannotList(const std::string&, std::error_code) override {}
};

// What the backup folder holds, as its manifest tells it or, for a run that was killed before
// it wrote one, as the files it kept show it.
Manifest LoadManifest(FileSystem& fs, const std::string& folder) {
  const std::string manifest_path = folder + std::string(kManifestName);
  std::string text;
  if (!fs.ReadWhole(manifest_path, text)) return ParseManifest(text);
  Manifest manifest;
  QuietSearch search;
  FindFiles(fs, search, folder, true, [&](const std::string& path) {
    if (path != manifest_path) manifest.replaced.push_back(path.substr(folder.size()));
  });
  return manifest;
}

std::error_code SaveManifest(FileSystem& fs, const std::string& folder, const Manifest& manifest) {
  return fs.ReplaceWhole(folder + std::string(kManifestName), FormatManifest(manifest));
}

// The latest conversion run that no restore has undone; "" when there is none.
std::string LatestNotRestored(FileSystem& fs, const std::string& root,
                              const std::vector<std::string>& stamps) {
  for (auto it = stamps.rbegin(); it != stamps.rend(); ++it) {
    const Manifest manifest = LoadManifest(fs, root + *it + kSep);
    if (manifest.restores.empty() && manifest.restored_by.empty()) return *it;
  }
  return "";
}

// Puts back and removes the files of one backup, one log line each.
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

  // Puts the kept file back in one step, unless the file there already holds its bytes.
  void PutBack(const std::string& relative) {
    const std::string kept = source_ + relative;
    const std::string target = live2ch_ + relative;
    std::string bytes;
    if (const std::error_code error = fs_.ReadWhole(kept, bytes)) {
      return Fail(kept + "を読み込めませんでした", kept, error);
    }
    const int unchanged = writes_.counts().unchanged;
    std::error_code error = folders_.MakeTree(GetFolderPart(target));
    if (!error) error = writes_.ReplaceWhole(target, bytes);
    if (error) return Fail(target + "に書き込めませんでした", target, error);
    const bool was_back = writes_.counts().unchanged != unchanged;
    report_.AddLine(target + (was_back ? "はすでに元のままです" : "を元に戻しました"));
  }

  // Removes a file the run made, unless it has changed since: then Live2ch has used it.
  void RemoveIfUnchanged(const Manifest::Created& file) {
    const std::string target = live2ch_ + file.path;
    std::string bytes;
    const std::error_code read = fs_.ReadWhole(target, bytes);
    if (read == std::errc::no_such_file_or_directory) {
      return report_.AddLine(target + "はすでにありません");
    }
    if (read) return Fail(target + "を読み込めませんでした", target, read);
    ContentHash hash;
    hash.Add(bytes);
    if (hash.Text() != file.hash) {
      return report_.AddLine(target + "は変換の後で変更されているため残しました");
    }
    if (const std::error_code error = writes_.RemoveFile(target)) {
      return Fail(target + "を削除できませんでした", target, error);
    }
    report_.AddLine(target + "を削除しました");
  }

  // Removes the folders the run made that nothing is left in, deepest first.
  void RemoveEmptyFolders(const std::vector<std::string>& made) {
    for (auto it = made.rbegin(); it != made.rend(); ++it) writes_.RemoveFolder(live2ch_ + *it);
  }

  void Fail(const std::string& line, const std::string& path, std::error_code error) {
    report_.AddLine(line);
    report_.ExplainFailure(path, error);
    ++failures_;
  }

  int failures() const { return failures_; }

 private:
  const std::string live2ch_;
  const std::string source_;
  RunReport& report_;
  FileSystem& fs_;
  KeepingFileSystem& writes_;
  FolderMaker folders_;
  int failures_ = 0;
};

// Notes in the backup that it has been restored, so that a plain restore goes on to the run
// before; undoing a restore makes the run it undid one to restore again.
std::error_code MarkRestored(FileSystem& fs, const std::string& root, const std::string& stamp,
                             Manifest manifest, const std::string& by) {
  manifest.restored_by = by.empty() ? "-" : by;
  std::error_code error = SaveManifest(fs, root + stamp + kSep, manifest);
  if (!error && !manifest.restores.empty()) {
    const std::string undone = root + manifest.restores + kSep;
    Manifest again = LoadManifest(fs, undone);
    again.restored_by.clear();
    error = SaveManifest(fs, undone, again);
  }
  return error;
}

}  // namespace

std::optional<UndoableRun> NewestUndoable(FileSystem& fs, const std::string& live2ch_folder) {
  const std::string root = BackupsOf(live2ch_folder, fs);
  const std::string stamp = LatestNotRestored(fs, root, ListStamps(fs, root));
  if (stamp.empty()) return std::nullopt;
  const Manifest manifest = LoadManifest(fs, root + stamp + kSep);
  return UndoableRun{stamp, manifest.created.size(), manifest.replaced.size()};
}

std::string BackupsOf(const std::string& live2ch_folder, FileSystem& fs) {
  return BackupRoot(
      Live2chDataFolder(WithSeparator(FolderAsGiven(live2ch_folder, fs, HomeFolder()))));
}

RestoreOutcome RestoreRun(const RestoreRequest& request, RunReport& report, FileSystem& fs,
                          std::time_t now) {
  const std::string named = WithSeparator(FolderAsGiven(request.live2ch_folder, fs, HomeFolder()));
  if (Live2chIsRunning(named, report, fs)) return RestoreOutcome::kLive2chRunning;
  // What a run wrote into the VirtualStore, and kept there, is put back there.
  const std::string live2ch = Live2chDataFolder(named);
  const std::string root = BackupRoot(live2ch);
  const std::vector<std::string> stamps = ListStamps(fs, root);
  std::string stamp = request.stamp;
  if (stamps.empty() ||
      (!stamp.empty() && std::find(stamps.begin(), stamps.end(), stamp) == stamps.end())) {
    return RestoreOutcome::kNoBackup;
  }
  if (stamp.empty() && (stamp = LatestNotRestored(fs, root, stamps)).empty()) {
    report.AddLine("元に戻していない変換はありません");
    return RestoreOutcome::kNothingLeft;
  }
  const std::string source = root + stamp + kSep;
  const Manifest manifest = LoadManifest(fs, source);
  WriteSettings settings;
  settings.live2ch_folder = live2ch;
  settings.stamp = StampOf(now);
  settings.restores = stamp;
  KeepingFileSystem writes(fs, settings);
  Restorer restorer(live2ch, source, report, fs, writes);

  report.AddLine(source + "から元に戻します");
  for (const std::string& relative : manifest.replaced) restorer.PutBack(relative);
  for (const Manifest::Created& file : manifest.created) restorer.RemoveIfUnchanged(file);
  restorer.RemoveEmptyFolders(manifest.created_folders);
  if (const std::error_code error = writes.WriteManifest()) {
    restorer.Fail(writes.backup_folder() + "に書き込めませんでした", writes.backup_folder(), error);
  }
  if (const std::error_code error =
          MarkRestored(fs, root, stamp, manifest, writes.backup_stamp())) {
    restorer.Fail(source + "に書き込めませんでした", source, error);
  }
  if (const std::error_code error = writes.SyncWritten()) {
    restorer.Fail(live2ch + "に書き込めませんでした", live2ch, error);
  }
  if (const std::string kept = writes.backup_folder(); !kept.empty()) {
    report.AddLine(kept + "に置き換え前のファイルを保存しました");
  }
  report.AddLine(restorer.failures() == 0 ? "すべて元に戻しました"
                                          : "元に戻せなかったファイルがあります");
  return restorer.failures() == 0 ? RestoreOutcome::kRestored
                                  : RestoreOutcome::kRestoredWithFailures;
}

}  // namespace mirelda
