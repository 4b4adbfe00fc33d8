// One behaviour for both windows, over the view that each toolkit's window implements.
#include "app/window/controller.h"

#include "app/window/window_texts.h"

namespace mirelda {

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
  request = Normalised(std::move(request));
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

bool WindowController::LetEventsThrough() {
  view_.LetEventsThrough();
  return !close_requested_;
}

}  // namespace mirelda
