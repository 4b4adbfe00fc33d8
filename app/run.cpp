// The conversion run behind the start button, free of any window.
#include "app/run.h"

#include <exception>

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

RunOutcome RunConversion(RunRequest request, RunReport& report, FileSystem& fs, Cp932Codec& codec) {
  request = Normalised(std::move(request));
  TextFiles files(fs, codec);
  if (!PassesChecks(request, report, files)) return RunOutcome::kChecksFailed;

  // However a Live2ch path leads there (a link, a junction), Katjusha's files are only read.
  fs.ProtectFolder(request.katjusha_folder);
  report.AddLine("各変換作業を開始します");
  Context cx(request.katjusha_folder, request.live2ch_folder, report, files, request.jobs);
  const bool stopped = !RunConverters(cx, request.kinds);
  // What a stopped run wrote is kept as well, so it is made as durable.
  cx.SyncWrites();
  if (stopped) return RunOutcome::kStopped;
  report.AddLine("すべて変換完了");
  report.ShowMessage("すべて変換終了");
  return cx.failures() == 0 ? RunOutcome::kCompleted : RunOutcome::kCompletedWithFailures;
}

}  // namespace mirelda
