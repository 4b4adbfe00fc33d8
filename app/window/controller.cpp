// One behaviour for both windows, over the view that each toolkit's window implements.
#include "app/window/controller.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <mutex>
#include <utility>

#include "app/window/window_texts.h"
#include "util/given_folder.h"
#include "util/places.h"
#include "util/program_folders.h"

namespace mirelda {
namespace {

constexpr char kStartCaption[] = "変換開始(&S)";
constexpr char kStopCaption[] = "中止(&S)";

// "20261207-041501" => "2026/12/07 04:15:01"; a name of another form is shown as it is.
std::string StampTime(const std::string& stamp) {
  if (stamp.size() < 15 || stamp[8] != '-') return stamp;
  return stamp.substr(0, 4) + "/" + stamp.substr(4, 2) + "/" + stamp.substr(6, 2) + " " +
         stamp.substr(9, 2) + ":" + stamp.substr(11, 2) + ":" + stamp.substr(13, 2);
}

std::string UndoQuestion(const UndoableRun& run) {
  return StampTime(run.stamp) + "の変換（新規" + std::to_string(run.created) + "件、置換" +
         std::to_string(run.replaced) +
         "件）を元に戻します。\r\n新しく作ったファイルは削除され、置き換えたファイルは元に戻ります"
         "。"
         "よろしいですか？";
}

// The closing message of an undo; "" where the restore has shown why it did nothing.
std::string RestoreMessage(RestoreOutcome outcome) {
  switch (outcome) {
    case RestoreOutcome::kRestored:
      return "すべて元に戻しました";
    case RestoreOutcome::kRestoredWithFailures:
      return "元に戻せなかったファイルがあります";
    case RestoreOutcome::kRefused:
    case RestoreOutcome::kLive2chRunning:
      return "";
    case RestoreOutcome::kNoBackup:
    case RestoreOutcome::kNothingLeft:
      break;
  }
  return "元に戻していない変換はありません";
}

}  // namespace

// How a run ended, as far as the window's buttons care.
struct WindowController::Ending {
  bool converted = false;  // a conversion got past its checks
  bool undone = false;     // a conversion was undone
};

// The run's report sink, on the run's thread: what it is told waits here for the window's
// thread, which is woken through the view at most once for all that gathers meanwhile.
class WindowController::Relay final : public RunReport {
 public:
  struct Batch {
    std::vector<std::string> lines, messages;
    std::optional<IndexProgress> progress;
    std::optional<Ending> ending;
  };

  explicit Relay(WindowView& view) : view_(view) {}

  void AddLine(const std::string& line) override {
    Tell([&](Batch& batch) { batch.lines.push_back(line); });
  }
  void ShowMessage(const std::string& text) override {
    Tell([&](Batch& batch) { batch.messages.push_back(text); });
  }
  bool ShouldGoOn() override { return !stop_; }
  void ShowProgress(const IndexProgress& progress) override {
    Tell([&](Batch& batch) { batch.progress = progress; });
  }

  /// The run has returned.
  void End(const Ending& ending) {
    Tell([&](Batch& batch) { batch.ending = ending; });
  }

  /// Asks the run to stop at its next chance.
  void Stop() { stop_ = true; }

  /// Wakes the window no more: it is going away.
  void Detach() {
    const std::lock_guard lock(mutex_);
    detached_ = true;
  }

  /// What was told since the last time; the next thing told wakes the window again.
  Batch Take() {
    const std::lock_guard lock(mutex_);
    posted_ = false;
    return std::exchange(batch_, {});
  }

 private:
  template <typename Change>
  void Tell(Change change) {
    bool wake = false;
    {
      const std::lock_guard lock(mutex_);
      change(batch_);
      wake = !posted_ && !detached_;
      posted_ = true;
    }
    if (wake) view_.PostDelivery();
  }

  WindowView& view_;
  std::atomic<bool> stop_ = false;
  std::mutex mutex_;  // guards everything below
  Batch batch_;
  bool posted_ = false;  // the window has been woken and has not taken the batch yet
  bool detached_ = false;
};

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

WindowController::WindowController(WindowView& view, FileSystem& fs, Cp932Codec& codec,
                                   SettingsStore& settings, std::vector<std::string> places,
                                   WindowClock now)
    : view_(view),
      fs_(fs),
      codec_(codec),
      settings_(settings),
      places_(std::move(places)),
      now_(std::move(now)) {}

WindowController::~WindowController() {
  if (!relay_) return;
  relay_->Detach();
  relay_->Stop();
  worker_.join();
}

void WindowController::Open() {
  view_.ShowMessage(kStartupNotice);
  view_.AppendLogLines({kInstructionLine});
  ShowRemembered();
  ShowIdle();
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
  FolderEdited(box);
}

void WindowController::ChooseFolder(FolderBox box) {
  std::string start = FolderAsGiven(view_.FolderText(box), fs_, HomeFolder());
  if (start.empty() || !fs_.IsFolder(start)) start = HomeFolder();
  const std::string chosen = view_.ChooseFolder(kPickerTitle, start);
  // Emptying the box on a cancel would lose what the user had typed or chosen before.
  if (!chosen.empty()) view_.SetFolderText(box, chosen);
  FolderEdited(box);
}

void WindowController::FolderEdited(FolderBox box) {
  if (box != FolderBox::kLive2ch || running()) return;
  const std::string live2ch = view_.FolderText(FolderBox::kLive2ch);
  view_.EnableButton(Button::kUndo, !live2ch.empty() && NewestUndoable(fs_, live2ch));
}

RunRequest WindowController::TakeRequest() {
  RunRequest request{
      view_.FolderText(FolderBox::kKatjusha), view_.FolderText(FolderBox::kLive2ch), {}};
  for (size_t i = 0; i < request.kinds.size(); ++i) request.kinds[i] = view_.IsTicked(i);
  const bool katjusha_given = !request.katjusha_folder.empty();
  const bool live2ch_given = !request.live2ch_folder.empty();
  request = Normalised(std::move(request), fs_);
  // The boxes show the folders as the run takes them; an empty box stays empty, and the checks
  // then tell that the program is not there.
  if (katjusha_given) view_.SetFolderText(FolderBox::kKatjusha, request.katjusha_folder);
  if (live2ch_given) view_.SetFolderText(FolderBox::kLive2ch, request.live2ch_folder);
  return request;
}

void WindowController::Start() {
  if (running()) {
    relay_->Stop();
    return;
  }
  const RunRequest request = TakeRequest();
  choices_ = Remembered{request.katjusha_folder, request.live2ch_folder, request.kinds};
  Launch([this, request](Relay& relay) {
    return Ending{RunConversion(request, relay, fs_, codec_) != RunOutcome::kChecksFailed};
  });
}

void WindowController::Preview() {
  if (running()) return;
  RunRequest request = TakeRequest();
  request.dry_run = true;
  Launch([this, request](Relay& relay) {
    RunConversion(request, relay, fs_, codec_);
    return Ending{};
  });
}

void WindowController::Undo() {
  if (running()) return;
  const RunRequest request = TakeRequest();
  const std::optional<UndoableRun> undoable = NewestUndoable(fs_, request.live2ch_folder);
  if (!undoable) {
    view_.ShowMessage(RestoreMessage(RestoreOutcome::kNothingLeft));
    return FolderEdited(FolderBox::kLive2ch);
  }
  if (!view_.Confirm(UndoQuestion(*undoable))) return;
  Launch([this, request](Relay& relay) {
    if (!PassesChecks(request, relay, fs_, codec_)) return Ending{};
    // As a plain --restore: a restore that was cut short is finished before anything else.
    const RestoreOutcome outcome =
        RestoreRun({request.live2ch_folder, ""}, relay, fs_, std::time(nullptr));
    if (const std::string message = RestoreMessage(outcome); !message.empty()) {
      relay.ShowMessage(message);
    }
    return Ending{false, outcome == RestoreOutcome::kRestored};
  });
}

void WindowController::Launch(std::function<Ending(Relay&)> work) {
  // The run goes on with what it was given: boxes and ticks changed meanwhile would mislead.
  view_.EnableInputs(false);
  view_.EnableButton(Button::kPreview, false);
  view_.EnableButton(Button::kUndo, false);
  view_.SetStartCaption(kStopCaption);
  view_.EnableButton(Button::kStart, true);
  relay_ = std::make_unique<Relay>(view_);
  worker_ = std::thread([&relay = *relay_, work = std::move(work)] { relay.End(work(relay)); });
}

bool WindowController::RequestClose() {
  if (!running()) return true;
  close_requested_ = true;
  relay_->Stop();
  return false;
}

void WindowController::Deliver() {
  if (!relay_) return;
  const auto now = now_();
  // Laying out the log for each line would cost more than the run itself, and nobody reads
  // lines that go by faster than this.
  if (now < next_delivery_) {
    view_.DeliverAfter(std::chrono::ceil<std::chrono::milliseconds>(next_delivery_ - now));
    return;
  }
  Relay::Batch batch = relay_->Take();
  if (!batch.lines.empty()) view_.AppendLogLines(batch.lines);
  if (batch.progress) ShowProgress(*batch.progress);
  // Where showing takes long (a slow box, a busy machine), the window takes a quarter of the
  // time at most, so that the run keeps the rest; but one showing slowed by a busy machine must
  // not keep the window still for three times as long, so the wait has a ceiling.
  next_delivery_ = now + std::clamp<std::chrono::steady_clock::duration>(
                             (now_() - now) * 3, kDeliveryInterval, kLongestDeliveryInterval);
  messages_.insert(messages_.end(), batch.messages.begin(), batch.messages.end());
  if (batch.ending) Finish(*batch.ending, std::exchange(messages_, {}));
}

void WindowController::Finish(const Ending& ending, const std::vector<std::string>& messages) {
  worker_.join();
  relay_.reset();
  if (close_requested_) return view_.Close();
  if (ending.converted && choices_) Remember(settings_, *choices_);
  converted_ = (converted_ || ending.converted) && !ending.undone;
  ShowIdle();
  for (const std::string& message : messages) view_.ShowMessage(message);
}

void WindowController::ShowIdle() {
  view_.EnableInputs(true);
  view_.SetStartCaption(kStartCaption);
  // One conversion in the window's life, as ever; once it is undone, the folder is as it was
  // before and may be converted again.
  view_.EnableButton(Button::kStart, !converted_);
  view_.EnableButton(Button::kPreview, true);
  FolderEdited(FolderBox::kLive2ch);
}

void WindowController::ShowProgress(const IndexProgress& progress) {
  if (const auto title = title_.Next(progress)) view_.ShowProgress(*title, progress);
}

}  // namespace mirelda
