// The conversion run behind the start button, free of any window.
#include "run/run.h"

#include <ctime>
#include <exception>
#include <filesystem>
#include <memory>

#include "backup/keeping_file_system.h"
#include "run/run_log.h"
#include "run/texts.h"
#include "util/given_folder.h"
#include "util/path.h"
#include "util/places.h"
#include "util/virtual_store_file_system.h"

namespace mirelda {
namespace {

// Checks that both programs are where the folders say and that the folders differ; shows
// the message of the first check that fails, with the folder it looked at.
bool PassesChecks(const RunRequest& request, RunReport& report, TextFiles& files) {
  if (!files.FileExists(request.katjusha_folder + "Katjusha.exe")) {
    report.ShowMessage("かちゅ～しゃが見つかりません\n（" + request.katjusha_folder +
                       "にKatjusha.exeがありません）");
    return false;
  }
  if (!files.FileExists(request.live2ch_folder + "live2ch.exe")) {
    report.ShowMessage("Live2chが見つかりません\n（" + request.live2ch_folder +
                       "にlive2ch.exeがありません）");
    return false;
  }
  // Live2ch's files written into Katjusha's own folder would overwrite its thread indexes.
  if (files.fs().IsSameFolder(request.katjusha_folder, request.live2ch_folder)) {
    const bool one_text = request.katjusha_folder == request.live2ch_folder;
    report.ShowMessage("かちゅ～しゃとLive2chに同じフォルダが指定されています\n（" +
                       request.katjusha_folder + (one_text ? "" : "、" + request.live2ch_folder) +
                       "）");
    return false;
  }
  return !Live2chIsRunning(request.live2ch_folder, report, files.fs());
}

// Says where the data is read from and written to when Windows keeps it in the VirtualStore:
// elsewhere than the folders the user named.
void TellVirtualStore(const RunRequest& request, const std::string& katjusha_store,
                      const std::string& live2ch_data, RunReport& report) {
  if (!katjusha_store.empty()) {
    report.AddLine(request.katjusha_folder + "のデータはVirtualStore（" + katjusha_store +
                   "）から読みます");
  }
  if (live2ch_data != request.live2ch_folder) {
    report.AddLine(request.live2ch_folder + "のデータはVirtualStore（" + live2ch_data +
                   "）に書き込みます");
  }
}

// A running Katjusha may still change its files while they are read: the user is told, and
// what it has saved so far is converted.
void WarnOfRunningKatjusha(const std::string& folder, RunReport& report, FileSystem& fs) {
  if (IsProgramRunning(fs.FoundPath(folder + "Katjusha.exe"))) {
    report.AddLine(
        "かちゅ～しゃが起動しています。終了してから変換すると、最新のデータが変換されます");
  }
}

// Runs one converter; an error that escapes it (out of memory) is logged and the run goes on.
void RunConverter(Context& cx, const DataKind& kind) {
  try {
    kind.convert(cx);
  } catch (const std::exception& error) {
    cx.ReportFailure(std::string("変換中にエラーが起きたため、この項目を中断しました: ") +
                     error.what());
  }
}

// Runs the converters of the requested kinds in their fixed order; false when the user stopped
// the run.
bool RunConverters(Context& cx, const KindSet& kinds) {
  try {
    for (size_t i = 0; i < kinds.size(); ++i) {
      if (!kinds[i]) continue;
      cx.StopIfAsked();
      RunConverter(cx, kDataKinds[i]);
    }
  } catch (const RunStopped&) {
    return false;
  }
  return true;
}

// The message that ends a run that got past its checks; a saved log is named where it holds
// failures that the user has to look at.
std::string ClosingMessage(const RunRequest& request, bool stopped, int failures,
                           const std::string& saved_log) {
  if (stopped) return kStoppedLine;
  if (request.dry_run) return "確認が終わりました。ファイルは何も書き込んでいません";
  if (failures == 0) return "すべて変換終了";
  std::string message = "変換は終わりましたが、失敗が" + std::to_string(failures) + "件あります。";
  if (!saved_log.empty()) message += "\r\n" + saved_log;
  return message;
}

// Saves the log in the run's backup folder, if the run made one: "" when it did not.
std::string SaveLog(const RunLog& log, Context& cx, const KeepingFileSystem& writes,
                    FileSystem& fs) {
  const std::string folder = writes.backup_folder();
  if (folder.empty()) return "";
  const std::string path = folder + std::string(kLogName);
  const std::error_code error = log.SaveInto(fs, folder);
  if (!error) return path;
  cx.ReportWriteFailure(path, error);
  return "";
}

}  // namespace

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != kSep) folder.push_back(kSep);
  return folder;
}

RunRequest Normalised(RunRequest request, FileSystem& fs) {
  const std::string home = HomeFolder();
  request.katjusha_folder = WithSeparator(FolderAsGiven(request.katjusha_folder, fs, home));
  request.live2ch_folder = WithSeparator(FolderAsGiven(request.live2ch_folder, fs, home));
  return request;
}

std::string Live2chDataFolder(const std::string& folder) {
  const std::string store = RunsElevated() ? "" : VirtualStoreOf(folder);
  return store.empty() ? folder : store;
}

bool Live2chIsRunning(const std::string& folder, RunReport& report, FileSystem& fs) {
  if (!IsProgramRunning(fs.FoundPath(folder + "live2ch.exe"))) return false;
  report.ShowMessage("Live2chが起動しています。終了してから変換してください");
  return true;
}

std::string SummaryLine(const WriteCounts& counts, int odd_indexes, int failures) {
  return "新規" + std::to_string(counts.created) + "件、置換" + std::to_string(counts.replaced) +
         "件、変更なし" + std::to_string(counts.unchanged) + "件、変なidx" +
         std::to_string(odd_indexes) + "件、失敗" + std::to_string(failures) + "件";
}

std::string AbsoluteFolder(const std::string& folder) {
  namespace fs = std::filesystem;
  std::error_code error;
  const fs::path absolute =
      fs::absolute(fs::path(std::u8string(folder.begin(), folder.end())), error);
  if (error) return folder;
  const std::u8string text = absolute.u8string();
  return WithSeparator(std::string(text.begin(), text.end()));
}

std::unique_ptr<HeldFile> TakeLock(const std::string& live2ch_folder, bool dry_run,
                                   RunReport& report, FileSystem& fs, bool& refused) {
  std::error_code error;
  std::unique_ptr<HeldFile> lock = LockLive2chFolder(fs, live2ch_folder, dry_run, error);
  refused = error.operator bool();
  if (error == std::errc::resource_unavailable_try_again) {
    report.ShowMessage(live2ch_folder + "は別の変換か元に戻す処理が使っています");
  } else if (error) {
    const std::string root = BackupRoot(live2ch_folder);
    report.ExplainFailure(root, error);
    report.ShowMessage(root + "に書き込めませんでした");
  }
  return lock;
}

bool PassesChecks(RunRequest request, RunReport& report, FileSystem& fs, Cp932Codec& codec) {
  request = Normalised(std::move(request), fs);
  TextFiles files(fs, codec);
  return PassesChecks(request, report, files);
}

RunOutcome RunConversion(RunRequest request, RunReport& report, FileSystem& fs, Cp932Codec& codec) {
  request = Normalised(std::move(request), fs);
  // Katjusha's files as Katjusha sees them, and Live2ch's where Live2ch looks first.
  const std::string katjusha_store = VirtualStoreOf(request.katjusha_folder);
  VirtualStoreFileSystem reads(fs, request.katjusha_folder, katjusha_store);
  const std::string live2ch_data = Live2chDataFolder(request.live2ch_folder);
  if (TextFiles plain(reads, codec); !PassesChecks(request, report, plain)) {
    return RunOutcome::kChecksFailed;
  }

  // However a Live2ch path leads there (a link, a junction), Katjusha's files are only read.
  const RunOnFileSystem run_on_reads(reads, request.katjusha_folder);
  bool refused = false;
  const auto lock = TakeLock(live2ch_data, request.dry_run, report, reads, refused);
  if (refused) return RunOutcome::kChecksFailed;

  WriteSettings settings;
  settings.live2ch_folder = live2ch_data;
  const std::time_t now = std::time(nullptr);
  settings.stamp = StampOf(now);
  settings.dry_run = request.dry_run;
  settings.keep_backup = request.keep_backup;
  settings.journal = {NextSequence(ListRuns(reads, live2ch_data)),
                      RunKind::kConversion,
                      AbsoluteFolder(live2ch_data),
                      AbsoluteFolder(request.katjusha_folder),
                      "",
                      now};
  KeepingFileSystem writes(reads, settings);
  TextFiles files(writes, codec);
  RunLog log(report);
  TellVirtualStore(request, katjusha_store, live2ch_data, log);
  WarnOfRunningKatjusha(request.katjusha_folder, log, fs);
  log.AddLine("各変換作業を開始します");
  Context cx(request.katjusha_folder, live2ch_data, log, files, request.jobs);
  const bool stopped = !RunConverters(cx, request.kinds);
  // A stopped run's backup is as much needed for a restore, and what it wrote is kept as well,
  // so it is made as durable.
  if (const std::error_code error = writes.FinishJournal(!stopped && cx.failures() == 0)) {
    cx.ReportWriteFailure(writes.backup_folder() + std::string(kManifestName), error);
  }
  cx.SyncWritten();
  if (stopped) {
    log.AddLine(kStoppedLine);
  } else {
    if (writes.kept_any()) {
      log.AddLine(writes.backup_folder() + "に置き換え前のファイルを保存しました");
    }
    log.AddLine(SummaryLine(writes.counts(), cx.odd_indexes(), cx.failures()));
    log.AddLine("すべて変換完了");
  }
  log.RepeatFailures();
  const std::string saved = SaveLog(log, cx, writes, fs);
  report.ShowMessage(ClosingMessage(request, stopped, cx.failures(), saved));
  if (stopped) return RunOutcome::kStopped;
  return cx.failures() == 0 ? RunOutcome::kCompleted : RunOutcome::kCompletedWithFailures;
}

}  // namespace mirelda
