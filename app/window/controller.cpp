// One behaviour for both windows, over the view that each toolkit's window implements.
#include "app/window/controller.h"

#include "app/window/window_texts.h"

namespace mirelda {

std::optional<std::string> ProgressTitle::Next(const IndexProgress& progress) {
  int state = kEnded;
  if (!progress.finished) {
    state = !progress.total        ? kUncounted
            : *progress.total == 0 ? 100  // nothing to convert is all converted
                                   : static_cast<int>(progress.done * 100 / *progress.total);
  }
  if (state == shown_) return std::nullopt;
  shown_ = state;
  if (state < 0) return kWindowCaption;
  return std::string(kWindowCaption) + " - " + std::to_string(state) + "% (" +
         GroupedCount(progress.done) + "/" + GroupedCount(*progress.total) + ")";
}

void WindowController::Open() {
  view_.ShowMessage(kStartupNotice);
  view_.AppendLogLine(kInstructionLine);
}

void WindowController::ChooseFolder(FolderBox box) {
  const std::string chosen = view_.ChooseFolder(kPickerTitle);
  // Emptying the box on a cancel would lose what the user had typed or chosen before.
  if (!chosen.empty()) view_.SetFolderText(box, chosen);
}

void WindowController::Start() {
  RunRequest request{
      view_.FolderText(FolderBox::kKatjusha), view_.FolderText(FolderBox::kLive2ch), {}};
  for (size_t i = 0; i < request.kinds.size(); ++i) {
    request.kinds[i] = view_.IsTicked(kDataKinds[i].check_box);
  }
  request = Normalised(std::move(request), fs_);
  view_.SetFolderText(FolderBox::kKatjusha, request.katjusha_folder);
  view_.SetFolderText(FolderBox::kLive2ch, request.live2ch_folder);
  // The run goes on with what it was given: boxes and ticks changed meanwhile would mislead.
  view_.EnableInputs(false);
  view_.EnableStart(false);
  running_ = true;
  const RunOutcome outcome = RunConversion(std::move(request), *this, fs_, codec_);
  running_ = false;
  view_.EnableInputs(true);
  // After failed checks the user corrects a folder and tries again; one run gets past them.
  view_.EnableStart(outcome == RunOutcome::kChecksFailed);
  if (close_requested_) view_.Close();
}

bool WindowController::RequestClose() {
  if (!running_) return true;
  close_requested_ = true;
  return false;
}

void WindowController::AddLine(const std::string& line) { view_.AppendLogLine(line); }

void WindowController::ShowMessage(const std::string& text) { view_.ShowMessage(text); }

void WindowController::ShowProgress(const IndexProgress& progress) {
  if (const auto title = title_.Next(progress)) view_.ShowProgress(*title, progress);
}

bool WindowController::LetEventsThrough() {
  view_.LetEventsThrough();
  return !close_requested_;
}

}  // namespace mirelda
