// One behaviour for both windows: the start-up notice, the folder buttons, the runs behind the
// start, preview and undo buttons, and closing, over a small view that each toolkit's window
// implements.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "app/window/remembered.h"
#include "run/restore.h"
#include "run/run.h"

namespace mirelda {

/// One of the two folder boxes.
enum class FolderBox { kKatjusha, kLive2ch };

/// The buttons that start something.
enum class Button { kStart, kPreview, kUndo };

/// What the controller needs of a window: each toolkit implements it over its widgets. Texts are
/// UTF-8. Every function is called on the window's thread, but PostDelivery.
class WindowView {
 public:
  virtual ~WindowView() = default;

  /// The text of a folder box, and replacing it.
  virtual std::string FolderText(FolderBox box) = 0;
  virtual void SetFolderText(FolderBox box, const std::string& text) = 0;

  /// Whether the check box of the kind at `kind` in kDataKinds is ticked, and ticking it.
  virtual bool IsTicked(std::size_t kind) = 0;
  virtual void SetTicked(std::size_t kind, bool ticked) = 0;

  /// Makes the box a drop-down list of these folders, which the user may still type over.
  virtual void OfferFolders(FolderBox box, const std::vector<std::string>& folders) = 0;

  /// Enables or disables the folder boxes, their "..." buttons and the check boxes.
  virtual void EnableInputs(bool enabled) = 0;

  /// Enables or disables one button.
  virtual void EnableButton(Button button, bool enabled) = 0;

  /// Gives the start button this caption: "&" marks the key that presses it with Alt.
  virtual void SetStartCaption(const std::string& caption) = 0;

  /// Lets the user choose a folder under this title, starting at `start` where the picker can
  /// ("" for its own choice): its path as the box shows it ("C:\k", "/home/a", "/"), or "" when
  /// they cancel.
  virtual std::string ChooseFolder(const std::string& title, const std::string& start) = 0;

  /// Shows a message with one OK button; returns when the user has closed it.
  virtual void ShowMessage(const std::string& text) = 0;

  /// Asks a question with the buttons OK and Cancel; true for OK.
  virtual bool Confirm(const std::string& text) = 0;

  /// Appends lines to the log box, which stays within the log bound (LogCut), and shows the last.
  virtual void AppendLogLines(const std::vector<std::string>& lines) = 0;

  /// Shows `title` as the window's title and the progress on the progress bar and, where the
  /// system has one, on the window's taskbar button: an unknown amount while there is no total,
  /// none once finished.
  virtual void ShowProgress(const std::string& title, const IndexProgress& progress) = 0;

  /// From any thread: has WindowController::Deliver called on the window's thread, through the
  /// window's event queue.
  virtual void PostDelivery() = 0;

  /// Has WindowController::Deliver called once this much time has passed.
  virtual void DeliverAfter(std::chrono::milliseconds delay) = 0;

  /// Closes the window for good.
  virtual void Close() = 0;
};

/// The window's title during a run, which tells how far the index conversions have come.
class ProgressTitle {
 public:
  /// The title for this report, or none when it would show the same percent as the last one,
  /// so that a run over many indexes does not redraw the title for each:
  /// "mirelda Ver1.00 - 45% (9,000/20,000)" while the total is known, the caption alone while it
  /// is not and once the conversion has ended.
  std::optional<std::string> Next(const IndexProgress& progress);

 private:
  static constexpr int kEnded = -2;
  static constexpr int kUncounted = -1;
  int shown_ = kEnded;  // the percent shown, or one of the two states without one
};

/// Where the controller takes the time from.
using WindowClock = std::function<std::chrono::steady_clock::time_point()>;

/// The window's behaviour, written once for every toolkit. Each run goes on a thread of its own,
/// so that the window keeps taking events; what the run tells reaches the window through its
/// event queue, at most every kDeliveryInterval, less often when showing it takes long, but
/// always within kLongestDeliveryInterval.
class WindowController final {
 public:
  /// How often, at most, the window shows what a run has told.
  static constexpr std::chrono::milliseconds kDeliveryInterval{50};
  /// How long, at most, the window waits between two showings, however long showing takes.
  static constexpr std::chrono::milliseconds kLongestDeliveryInterval{120};

  /// `settings` keeps the choices between starts; `places` are where the programs are looked
  /// for when no folder is kept (UsualPlaces).
  WindowController(WindowView& view, FileSystem& fs, Cp932Codec& codec, SettingsStore& settings,
                   std::vector<std::string> places,
                   WindowClock now = std::chrono::steady_clock::now);
  /// Stops a run that goes on and waits for it.
  ~WindowController();
  WindowController(const WindowController&) = delete;
  WindowController& operator=(const WindowController&) = delete;

  /// Shows the start-up notice, then writes the instruction line as the log's first line, and
  /// shows the folders and ticks of the last run that passed its checks; without folders kept,
  /// each box gets the one folder of its program found in the places, or a list when there are
  /// several. Call once, before the window is shown.
  void Open();

  /// A "..." button: the picker starts at the box's folder where there is one, else at the home
  /// folder; the chosen folder goes into its box; a cancel leaves the box as it was.
  void ChooseFolder(FolderBox box);

  /// A folder or a file dropped on a box: the folder it names (FolderAsGiven) goes into it.
  void Drop(FolderBox box, const std::string& path);

  /// The text of a folder box has changed: whether there is a run to undo is judged again.
  void FolderEdited(FolderBox box);

  /// The start button: outside a run, starts the conversion that the boxes and ticks ask for;
  /// during one, stops it between two files. After a conversion that passed its checks the
  /// start button stays disabled until that conversion is undone, and its folders and ticks are
  /// kept for the next start.
  void Start();

  /// The preview button: a dry run of what the start button would do, which writes nothing.
  void Preview();

  /// The undo button: after the user has confirmed it, undoes the newest conversion of the
  /// Live2ch folder.
  void Undo();

  /// The user asks to close the window. True outside a run: close it now. False during a run:
  /// the run stops between two files, so that every file is whole, and once it has returned the
  /// controller closes the window.
  bool RequestClose();

  /// Shows what the run has told since the last delivery, and its end. Called on the window's
  /// thread as the view was asked to.
  void Deliver();

  /// Whether a run goes on.
  bool running() const { return relay_ != nullptr; }

 private:
  class Relay;
  struct Ending;

  RunRequest TakeRequest();
  void Launch(std::function<Ending(Relay&)> work);
  void Finish(const Ending& ending, const std::vector<std::string>& messages);
  void ShowIdle();
  void ShowProgress(const IndexProgress& progress);
  void ShowRemembered();
  void Offer(FolderBox box, const std::vector<std::string>& folders);

  WindowView& view_;
  FileSystem& fs_;
  Cp932Codec& codec_;
  SettingsStore& settings_;
  const std::vector<std::string> places_;
  const WindowClock now_;
  std::unique_ptr<Relay> relay_;  // while a run goes on
  std::thread worker_;
  std::vector<std::string> messages_;  // told by the run, shown once it has ended
  std::optional<Remembered> choices_;  // a conversion's, kept once it has passed its checks
  std::chrono::steady_clock::time_point next_delivery_;  // none sooner: see Deliver
  bool converted_ = false;  // a conversion got past its checks and has not been undone
  bool close_requested_ = false;
  ProgressTitle title_;
};

}  // namespace mirelda
