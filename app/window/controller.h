// One behaviour for both windows: the start-up notice, the folder buttons, the run behind the
// start button and closing, over a small view that each toolkit's window implements.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/window/remembered.h"
#include "run/run.h"

namespace mirelda {

/// One of the two folder boxes.
enum class FolderBox { kKatjusha, kLive2ch };

/// What the controller needs of a window: each toolkit implements it over its widgets. Texts are
/// UTF-8.
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

  /// Enables or disables the start button.
  virtual void EnableStart(bool enabled) = 0;

  /// Lets the user choose a folder under this title, starting at `start` where the picker can
  /// ("" for its own choice): its path as the box shows it ("C:\k", "/home/a", "/"), or "" when
  /// they cancel.
  virtual std::string ChooseFolder(const std::string& title, const std::string& start) = 0;

  /// Shows a message with one OK button; returns when the user has closed it.
  virtual void ShowMessage(const std::string& text) = 0;

  /// Appends one line to the log box, which stays within the log bound (LogCut).
  virtual void AppendLogLine(const std::string& line) = 0;

  /// Shows `title` as the window's title and, where the system has one, the progress on the
  /// window's taskbar button: an unknown amount while there is no total, none once finished.
  virtual void ShowProgress(const std::string& title, const IndexProgress& progress) = 0;

  /// Handles the window events that are waiting, then returns.
  virtual void LetEventsThrough() = 0;

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

/// The window's behaviour, written once for every toolkit. It is the run's report sink while
/// the start button's run goes on.
class WindowController final : private RunReport {
 public:
  /// `settings` keeps the choices between starts; `places` are where the programs are looked
  /// for when no folder is kept (UsualPlaces).
  WindowController(WindowView& view, FileSystem& fs, Cp932Codec& codec, SettingsStore& settings,
                   std::vector<std::string> places)
      : view_(view), fs_(fs), codec_(codec), settings_(settings), places_(std::move(places)) {}

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

  /// The start button: runs the conversion that the boxes and ticks ask for, with the boxes
  /// showing the normalised folders and the inputs locked until it returns. The start button
  /// stays disabled after a run that passed its checks, whose folders and ticks are kept for
  /// the next start.
  void Start();

  /// The user asks to close the window. True outside a run: close it now. False during a run:
  /// the run stops between two files, so that every file is whole, and once it has returned the
  /// controller closes the window.
  bool RequestClose();

  /// Whether the start button's run is going on.
  bool running() const { return running_; }

 private:
  void AddLine(const std::string& line) override;
  void ShowMessage(const std::string& text) override;
  bool ShouldGoOn() override;
  void ShowProgress(const IndexProgress& progress) override;
  void ShowRemembered();
  void Offer(FolderBox box, const std::vector<std::string>& folders);

  WindowView& view_;
  FileSystem& fs_;
  Cp932Codec& codec_;
  SettingsStore& settings_;
  const std::vector<std::string> places_;
  bool running_ = false;
  bool close_requested_ = false;
  ProgressTitle title_;
};

}  // namespace mirelda
