// The conversion run's view of its front end: a window, or the terminal.
#pragma once

#include <string>

namespace mirelda {

/// The six kinds of data, in the order in which the run converts them.
enum class Choice { kFav, kBrd, kFtd, kNameMail, kMyboard, kAllIdx };

/// What the run and the converters need of the front end that drives them. Everything is
/// called on the front end's own thread; texts are UTF-8.
class Frontend {
 public:
  virtual ~Frontend() = default;

  /// The Katjusha folder text (txtKatju), read afresh at every use.
  virtual std::string KatjuFolder() = 0;
  /// Replaces the Katjusha folder text; the box shows the new text.
  virtual void SetKatjuFolder(const std::string& text) = 0;
  /// The Live2ch folder text (txtLive), read afresh at every use.
  virtual std::string LiveFolder() = 0;
  /// Replaces the Live2ch folder text; the box shows the new text.
  virtual void SetLiveFolder(const std::string& text) = 0;
  /// The value of a check box: 1 ticked, 0 not; read when the run reaches it.
  virtual int CheckValue(Choice choice) = 0;
  /// Disables the start button for the rest of the program's life.
  virtual void DisableStart() = 0;
  /// Appends one line to the log.
  virtual void AddText(const std::string& line) = 0;
  /// Shows a message with one OK button, titled "mirelda"; returns when it is closed.
  virtual void ShowMessage(const std::string& text) = 0;
  /// Lets pending window events through (once per folder that a file search lists).
  virtual void ProcessEvents() = 0;
};

}  // namespace mirelda
