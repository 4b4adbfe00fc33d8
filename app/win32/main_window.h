// frmMain: the Windows window over the conversion run.
#pragma once

#include <windows.h>

#include <array>
#include <string>
#include <string_view>

#include "app/form_layout.h"
#include "app/frontend.h"
#include "app/win32/dialogs.h"
#include "util/cp932.h"
#include "util/file_system.h"

namespace mirelda::win32 {

/// The one window of the program. It owns the folder texts, the check boxes and the log, and
/// lends them to the conversion run as its front end.
class MainWindow final : public Frontend {
 public:
  MainWindow(Dialogs& dialogs, FileSystem& fs, Cp932Codec& codec);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  /// Creates the window and its controls, hidden; `icon` may be null. False when Windows
  /// refuses to create it.
  bool Create(HINSTANCE instance, HICON icon);

  /// Shows the start-up notice and writes the first log line; call once, before showing.
  void Form_Load();

  /// Shows the window with the start button focused.
  void Show(int show_command);

  /// Folder buttons: the chosen folder goes into the box beside the button; a cancel keeps it.
  void cmdKatju_Click();
  void cmdLive_Click();

  /// The start button: the whole conversion run.
  void cmdStart_Click();

  /// Gives the window's keyboard handling (Tab, Alt+S) a message from a message loop; true
  /// when it was handled and must not be dispatched.
  bool HandleDialogKeys(MSG& msg);

  HWND hwnd() const { return hwnd_; }
  /// A control by its unique name (form::UniqueName): "cmdStart", "Label1_0"...
  HWND Control(std::string_view unique_name) const;

  std::string KatjuFolder() override;
  void SetKatjuFolder(const std::string& text) override;
  std::string LiveFolder() override;
  void SetLiveFolder(const std::string& text) override;
  int CheckValue(Choice choice) override;
  void DisableStart() override;
  void AddText(const std::string& line) override;
  void ShowMessage(const std::string& text) override;
  void ProcessEvents() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls(HINSTANCE instance, int dpi);
  void ChooseFolderInto(const char* box);

  Dialogs& dialogs_;
  FileSystem& fs_;
  Cp932Codec& codec_;
  HWND hwnd_ = nullptr;
  HFONT log_font_ = nullptr;
  std::array<HWND, form::kControls.size()> controls_{};
};

/// Runs the message loop until the window is closed; returns the exit code.
int RunMessageLoop(MainWindow& window);

}  // namespace mirelda::win32
