// The conversion run behind the start button, free of any window.
#include "app/run.h"

#include <exception>

#include "convert/all_indexes.h"
#include "convert/board_buttons.h"
#include "convert/favourites.h"
#include "convert/my_board.h"
#include "convert/name_mail.h"
#include "convert/warehouses.h"
#include "util/path.h"

namespace mirelda {
namespace {

std::string WithSeparator(std::string folder) {
  if (folder.empty() || folder.back() != kSep) folder.push_back(kSep);
  return folder;
}

// Checks that both programs are where the folders say and that the folders differ; shows
// the message of the first check that fails.
bool PassesChecks(Frontend& ui, TextFiles& files) {
  const std::string katju = ui.KatjuFolder();
  const std::string live = ui.LiveFolder();
  if (!files.FileExists(katju + "Katjusha.exe")) {
    ui.ShowMessage("かちゅ～しゃが見つかりません");
    return false;
  }
  if (!files.FileExists(live + "live2ch.exe")) {
    ui.ShowMessage("Live2chが見つかりません");
    return false;
  }
  // Live2ch's files written into Katjusha's own folder would overwrite its thread indexes.
  if (files.fs().IsSameFolder(katju, live)) {
    ui.ShowMessage("かちゅ～しゃとLive2chに同じフォルダが指定されています");
    return false;
  }
  return true;
}

// Runs one converter; an error that escapes it is logged and the run goes on.
template <typename Converter>
void RunConverter(Context& cx, Converter convert) {
  try {
    convert();
  } catch (const std::exception& error) {
    cx.AddText(std::string("変換中にエラーが起きたため、この項目を中断しました: ") + error.what());
    cx.CountFailure();
  }
}

}  // namespace

RunOutcome RunConversion(Frontend& ui, FileSystem& fs, Cp932Codec& codec) {
  ui.SetKatjuFolder(WithSeparator(ui.KatjuFolder()));
  ui.SetLiveFolder(WithSeparator(ui.LiveFolder()));
  TextFiles files(fs, codec);
  if (!PassesChecks(ui, files)) return RunOutcome::kChecksFailed;

  ui.AddText("各変換作業を開始します");
  ui.DisableStart();
  Context cx(ui, files);
  const auto ticked = [&](Choice choice) { return ui.CheckValue(choice) == 1; };
  if (ticked(Choice::kFav)) RunConverter(cx, [&] { FavCnv(cx); });
  if (ticked(Choice::kBrd)) RunConverter(cx, [&] { BrdCnv(cx); });
  if (ticked(Choice::kFtd)) RunConverter(cx, [&] { FtdCnv(cx, cx.KatjuFolder() + "*.idx"); });
  if (ticked(Choice::kNameMail)) RunConverter(cx, [&] { NameMailCnv(cx); });
  if (ticked(Choice::kMyboard)) RunConverter(cx, [&] { MybrdCnv(cx); });
  if (ticked(Choice::kAllIdx)) {
    RunConverter(cx, [&] { AllIdx(cx, cx.KatjuFolder() + "log" + kSep + "*.idx"); });
  }
  ui.AddText("すべて変換完了");
  ui.ShowMessage("すべて変換終了");
  return cx.failures() == 0 ? RunOutcome::kCompleted : RunOutcome::kCompletedWithFailures;
}

}  // namespace mirelda
