// The conversion run behind the start button, free of any window.
#include "run/run.h"

#include <ctime>
#include <exception>

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

RunOutcome RunConversion(RunRequest request, RunReport& report, FileSystem& fs, Cp932Codec& codec) {
  request = Normalised(std::move(request));
  WriteSettings settings;
  settings.live2ch_folder = request.live2ch_folder;
  settings.stamp = StampOf(std::time(nullptr));
  settings.dry_run = request.dry_run;
  settings.keep_backup = request.keep_backup;
  KeepingFileSystem writes(fs, settings);
  TextFiles files(writes, codec);
  if (!PassesChecks(request, report, files)) return RunOutcome::kChecksFailed;

  // However a Live2ch path leads there (a link, a junction), Katjusha's files are only read.
  fs.BeginRun(request.katjusha_folder);
  const struct RunEnd {
    FileSystem& fs;
    ~RunEnd() { fs.EndRun(); }
  } run_end{fs};
  report.AddLine("各変換作業を開始します");
  Context cx(request.katjusha_folder, request.live2ch_folder, report, files, request.jobs);
  const bool stopped = !RunConverters(cx, request.kinds);
  // A stopped run's backup is as much needed for a restore, and what it wrote is kept as well,
  // so it is made as durable.
  if (const std::error_code error = writes.WriteManifest()) {
    cx.ReportWriteFailure(writes.backup_folder() + std::string(kManifestName), error);
  }
  cx.SyncWritten();
  if (stopped) return RunOutcome::kStopped;
  if (const std::string kept = writes.backup_folder(); !kept.empty()) {
    report.AddLine(kept + "に置き換え前のファイルを保存しました");
  }
  report.AddLine(SummaryLine(writes.counts(), cx.odd_indexes(), cx.failure_lines()));
  report.AddLine("すべて変換完了");
  report.ShowMessage("すべて変換終了");
  return cx.failures() == 0 ? RunOutcome::kCompleted : RunOutcome::kCompletedWithFailures;
}

}  // namespace mirelda
