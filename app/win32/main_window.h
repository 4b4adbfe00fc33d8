// frmMain: the Windows window, the Win32 view of the window controller.
#pragma once

// windows.h must come before the headers that extend it.
// clang-format off
#include <windows.h>
#include <shellapi.h>
#include <shobjidl.h>
// clang-format on

#include <array>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

#include "app/win32/dialogs.h"
#include "app/window/controller.h"
#include "app/window/form_layout.h"

namespace mirelda::win32 {

/// The one window of the program: the controls of the shared table as Win32 controls, with the
/// behaviour of the window controller.
class MainWindow final : public WindowView {
 public:
  /// `settings` keeps the folders and ticks between starts.
  MainWindow(Dialogs& dialogs, FileSystem& fs, Cp932Codec& codec, SettingsStore& settings);
  ~MainWindow() override;
  MainWindow(const MainWindow&) = delete;
  MainWindow& operator=(const MainWindow&) = delete;

  /// Creates the window and its controls, hidden; `icon` may be null. False when Windows
  /// refuses to create it.
  bool Create(HINSTANCE instance, HICON icon);

  /// Shows the start-up notice and writes the first log line; call once, before showing.
  void Open() { controller_.Open(); }

  /// Shows the window with the start button focused.
  void Show(int show_command);

  /// Gives the window's keyboard handling (Tab, Alt+S) a message from a message loop; true
  /// when it was handled and must not be dispatched.
  bool HandleDialogKeys(MSG& msg);

  /// The window; null once it has been destroyed.
  HWND hwnd() const { return hwnd_; }
  /// A control by its unique name (form::UniqueName): "cmdStart", "Label1_0"...
  HWND Control(std::string_view unique_name) const;

  std::string FolderText(FolderBox box) override;
  void SetFolderText(FolderBox box, const std::string& text) override;
  bool IsTicked(std::size_t kind) override;
  void SetTicked(std::size_t kind, bool ticked) override;
  void OfferFolders(FolderBox box, const std::vector<std::string>& folders) override;
  void EnableInputs(bool enabled) override;
  void EnableButton(Button button, bool enabled) override;
  void SetStartCaption(const std::string& caption) override;
  std::string ChooseFolder(const std::string& title, const std::string& start) override;
  void ShowMessage(const std::string& text) override;
  bool Confirm(const std::string& text) override;
  void AppendLogLines(const std::vector<std::string>& lines) override;
  void ShowProgress(const std::string& title, const IndexProgress& progress) override;
  void PostDelivery() override;
  void DeliverAfter(std::chrono::milliseconds delay) override;
  void Close() override;

 private:
  static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
  void CreateControls(HINSTANCE instance);
  void PlaceControls();
  void ConnectTaskbar();
  HWND Box(FolderBox box) const;
  void OnDrop(HDROP drop);

  Dialogs& dialogs_;
  WindowController controller_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  HFONT log_font_ = nullptr;
  ITaskbarList3* taskbar_ = nullptr;  // null where the system has no taskbar progress
  std::array<HWND, std::size(form::kControls)> controls_{};
};

/// Runs the message loop until the window is closed; returns the exit code.
int RunMessageLoop(MainWindow& window);

}  // namespace mirelda::win32
