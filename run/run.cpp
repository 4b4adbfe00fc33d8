// The conversion run behind the start button, free of any window.
#include "run/run.h"

#include <ctime>
#include <exception>
#include <filesystem>
#include <memory>

#include "backup/keeping_file_system.h"
#include "util/path.h"

namespace mirelda {
namespace {

// Checks that both programs are where the folders say and that the folders differ; shows
// the message of the first check that fails.
bool PassesChecks(const RunRequest& request, RunReport& report, TextFiles& files) {
  if (!files.FileExists(request.katjusha_folder + "Katjusha.exe")) {
    report.ShowMessage("かちゅ～しゃが見つかりません");
    return false;
  }
  if (!files.FileExists(request.live2ch_folder + "live2ch.exe")) {
    report.ShowMessage("Live2chが見つかりません");
    return false;
  }
  // Live2ch's files written into Katjusha's own folder would overwrite its thread indexes.
  if (files.fs().IsSameFolder(request.katjusha_folder, request.live2ch_folder)) {
    report.ShowMessage("かちゅ～しゃとLive2chに同じフォルダが指定されています");
    return false;
  }
  return true;
}

// Runs one converter; an error that escapes it (out of memory) is logged and the run goes on.
void RunConverter(Context& cx, const DataKind& kind) {
  try {
    kind.convert(cx);
  } catch (const std::exception& error) {
    cx.AddLine(std::string("変換中にエラーが起きたため、この項目を中断しました: ") + error.what());
    cx.CountFailure();
  }
}

// Runs the converters of the requested kinds in their fixed order; false when the user stopped
// the run.
bool RunConverters(Context& cx, const KindSet& kinds) {
  try {
    for (size_t i = 0; i < kinds.size(); ++i) {
      if (kinds[i]) RunConverter(cx, kDataKinds[i]);
    }
  } catch (const RunStopped&) {
    return false;
  }
  return true;
}

}  // namespace

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != kSep) folder.push_back(kSep);
  return folder;
}

RunRequest Normalised(RunRequest request) {
  request.katjusha_folder = WithSeparator(std::move(request.katjusha_folder));
  request.live2ch_folder = WithSeparator(std::move(request.live2ch_folder));
  return request;
}

std::string SummaryLine(const WriteCounts& counts, int odd_indexes, int failure_lines) {
  return "新規" + std::to_string(counts.created) + "件、置換" + std::to_string(counts.replaced) +
         "件、変更なし" + std::to_string(counts.unchanged) + "件、変なidx" +
         std::to_string(odd_indexes) + "件、失敗" + std::to_string(failure_lines) + "件";
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

RunOutcome RunConversion(RunRequest request, RunReport& report, FileSystem& fs, Cp932Codec& codec) {
  request = Normalised(std::move(request));
  if (TextFiles plain(fs, codec); !PassesChecks(request, report, plain)) {
    return RunOutcome::kChecksFailed;
  }
  // However a Live2ch path leads there (a link, a junction), Katjusha's files are only read.
  fs.BeginRun(request.katjusha_folder);
  bool refused = false;
  const auto lock = TakeLock(request.live2ch_folder, request.dry_run, report, fs, refused);
  if (refused) return RunOutcome::kChecksFailed;

  WriteSettings settings;
  settings.live2ch_folder = request.live2ch_folder;
  const std::time_t now = std::time(nullptr);
  settings.stamp = StampOf(now);
  settings.dry_run = request.dry_run;
  settings.keep_backup = request.keep_backup;
  settings.journal = {NextSequence(ListRuns(fs, request.live2ch_folder)),
                      RunKind::kConversion,
                      AbsoluteFolder(request.live2ch_folder),
                      AbsoluteFolder(request.katjusha_folder),
                      "",
                      now};
  KeepingFileSystem writes(fs, settings);
  TextFiles files(writes, codec);
  report.AddLine("各変換作業を開始します");
  Context cx(request.katjusha_folder, request.live2ch_folder, report, files, request.jobs);
  const bool stopped = !RunConverters(cx, request.kinds);
  // A stopped run's backup is as much needed for a restore, and what it wrote is kept as well,
  // so it is made as durable.
  if (const std::error_code error = writes.FinishJournal(!stopped && cx.failures() == 0)) {
    cx.ReportWriteFailure(writes.backup_folder() + std::string(kManifestName), error);
  }
  cx.SyncWritten();
  if (stopped) return RunOutcome::kStopped;
  if (writes.kept_any())
    report.AddLine(writes.backup_folder() + "に置き換え前のファイルを保存しました");
  report.AddLine(SummaryLine(writes.counts(), cx.odd_indexes(), cx.failure_lines()));
  report.AddLine("すべて変換完了");
  report.ShowMessage("すべて変換終了");
  return cx.failures() == 0 ? RunOutcome::kCompleted : RunOutcome::kCompletedWithFailures;
}

}  // namespace mirelda
