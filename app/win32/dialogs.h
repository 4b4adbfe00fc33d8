// The modal dialogs of the Windows window, behind a seam so that tests never open one.
#pragma once

#include <windows.h>

#include <string>

namespace mirelda::win32 {

/// The two modal dialogs the window shows. Both return only when the user has closed them.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  /// Shows `text` titled "mirelda", with one OK button and no icon.
  virtual void ShowMessage(HWND owner, const std::string& text) = 0;

  /// The folder picker's raw path buffer: the chosen path followed by NULs, all NULs after a
  /// cancel. The window cleans it with CleanApiText.
  virtual std::string ChooseFolder(HWND owner, const std::string& title) = 0;
};

/// MessageBoxW and the shell's folder picker.
class SystemDialogs final : public Dialogs {
 public:
  void ShowMessage(HWND owner, const std::string& text) override;
  std::string ChooseFolder(HWND owner, const std::string& title) override;
};

/// Shows the shell's folder picker over `owner` (file-system folders only, no root, no initial
/// selection) and returns the whole path buffer. "C:\k" => "C:\k\0\0...".
std::string BrowseForFolder(HWND owner, const std::string& title);

}  // namespace mirelda::win32
