// One behaviour for both windows, over the view that each toolkit's window implements.
#include "app/window/controller.h"

#include "app/window/window_texts.h"
#include "util/given_folder.h"
#include "util/places.h"
#include "util/program_folders.h"

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
  ShowRemembered();
}

void WindowController::ShowRemembered() {
  const Remembered kept = Recall(settings_);
  for (size_t i = 0; kept.kinds && i < kept.kinds->size(); ++i) {
    view_.SetTicked(i, (*kept.kinds)[i]);
  }
  if (!kept.katjusha.empty() || !kept.live2ch.empty()) {
    view_.SetFolderText(FolderBox::kKatjusha, kept.katjusha);
    view_.SetFolderText(FolderBox::kLive2ch, kept.live2ch);
    return;
  }
  const ProgramFolders found = FindProgramFolders(fs_, places_);
  Offer(FolderBox::kKatjusha, found.katjusha);
  Offer(FolderBox::kLive2ch, found.live2ch);
}

void WindowController::Offer(FolderBox box, const std::vector<std::string>& folders) {
  if (folders.size() == 1) view_.SetFolderText(box, folders.front());
  if (folders.size() > 1) view_.OfferFolders(box, folders);
}

void WindowController::Drop(FolderBox box, const std::string& path) {
  view_.SetFolderText(box, FolderAsGiven(path, fs_, HomeFolder()));
}

void WindowController::ChooseFolder(FolderBox box) {
  std::string start = FolderAsGiven(view_.FolderText(box), fs_, HomeFolder());
  if (start.empty() || !fs_.IsFolder(start)) start = HomeFolder();
  const std::string chosen = view_.ChooseFolder(kPickerTitle, start);
  // Emptying the box on a cancel would lose what the user had typed or chosen before.
  if (!chosen.empty()) view_.SetFolderText(box, chosen);
}

void WindowController::Start() {
  RunRequest request{
      view_.FolderText(FolderBox::kKatjusha), view_.FolderText(FolderBox::kLive2ch), {}};
  for (size_t i = 0; i < request.kinds.size(); ++i) {
    request.kinds[i] = view_.IsTicked(i);
  }
  request = Normalised(std::move(request), fs_);
  view_.SetFolderText(FolderBox::kKatjusha, request.katjusha_folder);
  view_.SetFolderText(FolderBox::kLive2ch, request.live2ch_folder);
  // The run goes on with what it was given: boxes and ticks changed meanwhile would mislead.
  view_.EnableInputs(false);
  view_.EnableStart(false);
  running_ = true;
  const Remembered choices{request.katjusha_folder, request.live2ch_folder, request.kinds};
  const RunOutcome outcome = RunConversion(std::move(request), *this, fs_, codec_);
  running_ = false;
  if (outcome != RunOutcome::kChecksFailed) Remember(settings_, choices);
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

bool WindowController::ShouldGoOn() {
  view_.LetEventsThrough();
  return !close_requested_;
}

}  // namespace mirelda
