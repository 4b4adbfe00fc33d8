// The modal dialogs of the Windows window, behind a seam so that tests never open one.
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

namespace mirelda::win32 {

/// The modal dialogs the window shows. Each returns only when the user has closed them.
class Dialogs {
 public:
  virtual ~Dialogs() = default;

  /// Shows `text` titled "mirelda", with one OK button and no icon.
  virtual void ShowMessage(HWND owner, const std::string& text) = 0;

  /// Asks `text`, titled "mirelda", with the buttons OK and Cancel; true for OK.
  virtual bool Confirm(HWND owner, const std::string& text) = 0;

  /// Lets the user choose a folder: its path as the shell gives it, without a final "\" except
  /// for a drive root ("C:\k", "C:\"); "" when they cancel.
  virtual std::string ChooseFolder(HWND owner, const std::string& title) = 0;
};

/// MessageBoxW and the shell's folder picker.
class SystemDialogs final : public Dialogs {
 public:
  void ShowMessage(HWND owner, const std::string& text) override;
  bool Confirm(HWND owner, const std::string& text) override;
  std::string ChooseFolder(HWND owner, const std::string& title) override;
};

/// The path that a folder picker's buffer holds: spaces around it removed, then, in a buffer
/// that holds a NUL, leading NULs and line breaks removed and the rest cut at the first NUL.
/// "C:\k\0\0" => "C:\k"; all NULs (a cancel) => "".
std::string FolderFromBuffer(std::string_view buffer);

}  // namespace mirelda::win32
