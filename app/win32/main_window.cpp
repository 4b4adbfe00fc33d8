// frmMain: the Windows window over the conversion run.
#include "app/win32/main_window.h"

#include "app/log_bound.h"
#include "app/run.h"
#include "app/texts.h"
#include "util/path.h"
#include "util/win32/wide.h"

namespace mirelda::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"mirelda_frmMain";
constexpr int kFirstControlId = 100;
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

int TwipsToPixels(int twips, int dpi) { return MulDiv(twips, dpi, 1440); }

std::string WindowText(HWND hwnd) {
  std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
  text.resize(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())));
  return Narrow(text);
}

// The class and style of each kind of control; every control but a label is a tab stop.
struct ControlClass {
  const wchar_t* name;
  DWORD style;
  DWORD ex_style;
};

ControlClass ClassOf(const form::Control& control) {
  switch (control.kind) {
    case form::Kind::kButton:
      return {L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 0};
    case form::Kind::kCheckBox:
      return {L"BUTTON", BS_AUTOCHECKBOX | WS_TABSTOP, 0};
    case form::Kind::kLabel:
      return {L"STATIC", SS_LEFT, 0};
    case form::Kind::kTextBox:
      if (std::string_view(control.name) == "txtState") {
        return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
      }
      return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
  }
  return {L"STATIC", 0, 0};
}

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, FileSystem& fs, Cp932Codec& codec)
    : dialogs_(dialogs), fs_(fs), codec_(codec) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (log_font_ != nullptr) DeleteObject(log_font_);
}

bool MainWindow::Create(HINSTANCE instance, HICON icon) {
  WNDCLASSEXW window_class{};
  window_class.cbSize = sizeof window_class;
  window_class.lpfnWndProc = WindowProc;
  window_class.hInstance = instance;
  window_class.hIcon = icon;
  window_class.hIconSm = icon;
  window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  window_class.lpszClassName = kWindowClass;
  if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
    return false;
  }

  const HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  // The layout is the client area's; the frame comes on top of it.
  RECT frame{0, 0, TwipsToPixels(form::kClientWidth, dpi), TwipsToPixels(form::kClientHeight, dpi)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  CreateWindowExW(0, kWindowClass, Widen(kWindowCaption).c_str(), kWindowStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                  nullptr, instance, this);
  // WM_NCCREATE has set hwnd_, so that the controls' creation can already use it.
  if (hwnd_ == nullptr) return false;
  CreateControls(instance, dpi);
  return true;
}

void MainWindow::CreateControls(HINSTANCE instance, int dpi) {
  const auto gui_font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  log_font_ =
      CreateFontW(-MulDiv(form::kLogFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                  SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  FIXED_PITCH | FF_MODERN, Widen(form::kLogFontFace).c_str());
  // Controls are created in tab order: the dialog manager tabs through them in creation order.
  for (size_t i = 0; i < form::kControls.size(); ++i) {
    const form::Control& control = form::kControls[i];
    const ControlClass kind = ClassOf(control);
    const HWND hwnd = CreateWindowExW(
        kind.ex_style, kind.name, Widen(control.caption).c_str(),
        WS_CHILD | WS_VISIBLE | kind.style, TwipsToPixels(control.rect.left, dpi),
        TwipsToPixels(control.rect.top, dpi), TwipsToPixels(control.rect.width, dpi),
        TwipsToPixels(control.rect.height, dpi), hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance, nullptr);
    const bool log = std::string_view(control.name) == "txtState";
    SendMessageW(hwnd, WM_SETFONT, log ? reinterpret_cast<WPARAM>(log_font_) : gui_font, FALSE);
    if (control.kind == form::Kind::kCheckBox) {
      SendMessageW(hwnd, BM_SETCHECK, control.ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // A log of 10,000 units and a long line after it must fit; the default limit is 32,767.
    if (log) SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
    controls_[i] = hwnd;
  }
}

HWND MainWindow::Control(std::string_view unique_name) const {
  for (size_t i = 0; i < form::kControls.size(); ++i) {
    if (form::UniqueName(form::kControls[i]) == unique_name) return controls_[i];
  }
  return nullptr;
}

void MainWindow::Form_Load() {
  ShowMessage(kStartupNotice);
  AddText(kInstructionLine);
}

void MainWindow::Show(int show_command) {
  ShowWindow(hwnd_, show_command);
  UpdateWindow(hwnd_);
  SetFocus(Control("cmdStart"));
}

void MainWindow::cmdKatju_Click() { ChooseFolderInto("txtKatju"); }

void MainWindow::cmdLive_Click() { ChooseFolderInto("txtLive"); }

void MainWindow::ChooseFolderInto(const char* box) {
  std::string chosen = dialogs_.ChooseFolder(hwnd_, kPickerTitle);
  const size_t first = chosen.find_first_not_of(' ');
  chosen = first == std::string::npos ? "" : chosen.substr(first);
  while (!chosen.empty() && chosen.back() == ' ') chosen.pop_back();
  chosen = CleanApiText(chosen);
  // Emptying the box on a cancel would lose what the user had typed or chosen before.
  if (chosen.empty()) return;
  SetWindowTextW(Control(box), Widen(chosen).c_str());
}

void MainWindow::cmdStart_Click() { RunConversion(*this, fs_, codec_); }

std::string MainWindow::KatjuFolder() { return WindowText(Control("txtKatju")); }

void MainWindow::SetKatjuFolder(const std::string& text) {
  SetWindowTextW(Control("txtKatju"), Widen(text).c_str());
}

std::string MainWindow::LiveFolder() { return WindowText(Control("txtLive")); }

void MainWindow::SetLiveFolder(const std::string& text) {
  SetWindowTextW(Control("txtLive"), Widen(text).c_str());
}

int MainWindow::CheckValue(Choice choice) {
  return SendMessageW(Control(form::CheckBoxName(choice)), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::DisableStart() { EnableWindow(Control("cmdStart"), FALSE); }

void MainWindow::AddText(const std::string& line) {
  const HWND log = Control("txtState");
  // Appended at the end whatever the user has selected in the meantime.
  const int length = GetWindowTextLengthW(log);
  SendMessageW(log, EM_SETSEL, length, length);
  SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(Widen(line + "\r\n").c_str()));
  if (static_cast<size_t>(GetWindowTextLengthW(log)) <= kLogLimit) return;
  std::wstring text(GetWindowTextLengthW(log) + 1, L'\0');
  text.resize(GetWindowTextW(log, text.data(), static_cast<int>(text.size())));
  const size_t cut =
      LogCut(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
  SetWindowTextW(log, text.c_str() + cut);
  const int kept = GetWindowTextLengthW(log);
  SendMessageW(log, EM_SETSEL, kept, kept);
  SendMessageW(log, EM_SCROLLCARET, 0, 0);
}

void MainWindow::ShowMessage(const std::string& text) { dialogs_.ShowMessage(hwnd_, text); }

void MainWindow::ProcessEvents() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    // Closing the window ends the program, also in the middle of a run: every file is written
    // whole or not at all, so stopping between two of them leaves no broken file.
    if (msg.message == WM_QUIT) ExitProcess(static_cast<UINT>(msg.wParam));
    if (HandleDialogKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

bool MainWindow::HandleDialogKeys(MSG& msg) {
  const HWND log = Control("txtState");
  // Tab leaves the log box, as it leaves every other control, rather than typing a TAB.
  if (msg.message == WM_KEYDOWN && msg.wParam == VK_TAB && msg.hwnd == log) {
    const bool back = GetKeyState(VK_SHIFT) < 0;
    SetFocus(GetNextDlgTabItem(hwnd_, log, back));
    return true;
  }
  return IsDialogMessageW(hwnd_, &msg) != 0;
}

LRESULT CALLBACK MainWindow::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    auto* created = static_cast<MainWindow*>(create->lpCreateParams);
    created->hwnd_ = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* window = reinterpret_cast<MainWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (window == nullptr) return DefWindowProcW(hwnd, message, wparam, lparam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    window->hwnd_ = nullptr;
  }
  return window->OnMessage(hwnd, message, wparam, lparam);
}

LRESULT MainWindow::OnMessage(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wparam) == BN_CLICKED) {
        const HWND from = reinterpret_cast<HWND>(lparam);
        if (from == Control("cmdStart")) cmdStart_Click();
        if (from == Control("cmdKatju")) cmdKatju_Click();
        if (from == Control("cmdLive")) cmdLive_Click();
        return 0;
      }
      break;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(hwnd, message, wparam, lparam);
}

int RunMessageLoop(MainWindow& window) {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (window.HandleDialogKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return static_cast<int>(msg.wParam);
}

}  // namespace mirelda::win32
