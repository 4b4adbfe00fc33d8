// frmMain: the Windows window, the Win32 view of the window controller.
#include "app/win32/main_window.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>

#include "app/window/log_bound.h"
#include "app/window/window_texts.h"
#include "util/places.h"
#include "util/win32/wide.h"

namespace mirelda::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"mirelda_frmMain";
constexpr int kFirstControlId = 100;
constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME;
// What the run has told waits for the window: posted, or after a while.
constexpr UINT kDeliverMessage = WM_APP + 1;
constexpr UINT_PTR kDeliverTimer = 1;

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
      if (control.name == "txtState") {
        // Only the run writes the log; the user can still select and copy it.
        return {L"EDIT", ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL | WS_TABSTOP,
                WS_EX_CLIENTEDGE};
      }
      return {L"EDIT", ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE};
    case form::Kind::kProgressBar:
      return {PROGRESS_CLASSW, 0, 0};
  }
  return {L"STATIC", 0, 0};
}

// Whether two states of a scroll bar are drawn alike: the same place, thumb and working arrows.
bool LooksTheSame(const SCROLLBARINFO& a, const SCROLLBARINFO& b) {
  return EqualRect(&a.rcScrollBar, &b.rcScrollBar) && a.dxyLineButton == b.dxyLineButton &&
         a.xyThumbTop == b.xyThumbTop && a.xyThumbBottom == b.xyThumbBottom &&
         std::equal(std::begin(a.rgstate), std::end(a.rgstate), std::begin(b.rgstate));
}

SCROLLBARINFO VerticalScrollBar(HWND control) {
  SCROLLBARINFO info{};
  info.cbSize = sizeof info;
  GetScrollBarInfo(control, OBJID_VSCROLL, &info);
  return info;
}

// Keeps a box from drawing while it is edited, and draws it once, whole, afterwards, as
// WM_SETREDRAW would: Wine's edit box ignores WM_SETREDRAW and draws its themed scroll bar again
// for every edit, at milliseconds a time, where a box that is not visible draws nothing. The
// drawing is done at once, so that the delivery that asked for it is measured with it.
class HiddenWhileEdited {
 public:
  explicit HiddenWhileEdited(HWND box)
      : box_(box),
        style_(GetWindowLongPtrW(box, GWL_STYLE)),
        scroll_bar_(VerticalScrollBar(box)),
        waiting_(GetUpdateRect(box, nullptr, FALSE) != 0) {
    if (style_ & WS_VISIBLE) SetWindowLongPtrW(box_, GWL_STYLE, style_ & ~WS_VISIBLE);
  }
  ~HiddenWhileEdited() {
    if (!(style_ & WS_VISIBLE)) return;
    SetWindowLongPtrW(box_, GWL_STYLE, GetWindowLongPtrW(box_, GWL_STYLE) | WS_VISIBLE);
    // Shown again, the box has its frame drawn too, scroll bar and all, the most costly part;
    // where nothing waited to be drawn before and the scroll bar looks as it did, the frame on
    // the screen is still right.
    const bool frame = waiting_ || !LooksTheSame(scroll_bar_, VerticalScrollBar(box_));
    if (!frame) RedrawWindow(box_, nullptr, nullptr, RDW_VALIDATE | RDW_NOFRAME);
    RedrawWindow(box_, nullptr, nullptr,
                 RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | (frame ? RDW_FRAME : 0));
  }
  HiddenWhileEdited(const HiddenWhileEdited&) = delete;
  HiddenWhileEdited& operator=(const HiddenWhileEdited&) = delete;

 private:
  const HWND box_;
  const LONG_PTR style_;
  const SCROLLBARINFO scroll_bar_;  // as it is on the screen
  const bool waiting_;              // some of the box waited to be drawn
};

// Where a control lies in the window's client area.
RECT ClientRect(HWND parent, HWND control) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

}  // namespace

MainWindow::MainWindow(Dialogs& dialogs, FileSystem& fs, Cp932Codec& codec, SettingsStore& settings)
    : dialogs_(dialogs), controller_(*this, fs, codec, settings, UsualPlaces()) {}

MainWindow::~MainWindow() {
  if (hwnd_ != nullptr) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
  if (log_font_ != nullptr) DeleteObject(log_font_);
  if (taskbar_ != nullptr) taskbar_->Release();
}

bool MainWindow::Create(HINSTANCE instance, HICON icon) {
  const INITCOMMONCONTROLSEX common{sizeof common, ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&common);
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
  dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  // The layout is the client area's; the frame comes on top of it.
  RECT frame{0, 0, TwipsToPixels(form::kClientWidth, dpi_),
             TwipsToPixels(form::kClientHeight, dpi_)};
  AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
  CreateWindowExW(0, kWindowClass, Widen(kWindowCaption).c_str(), kWindowStyle, CW_USEDEFAULT,
                  CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top, nullptr,
                  nullptr, instance, this);
  // WM_NCCREATE has set hwnd_, so that the controls' creation can already use it.
  if (hwnd_ == nullptr) return false;
  CreateControls(instance);
  PlaceControls();
  ConnectTaskbar();
  // Drops on the boxes come to the window too, as no control takes them itself.
  DragAcceptFiles(hwnd_, TRUE);
  return true;
}

void MainWindow::ConnectTaskbar() {
  // Without it (no COM on this thread, a system without taskbar progress) the title alone shows
  // the progress.
  if (FAILED(CoCreateInstance(CLSID_TaskbarList, nullptr, CLSCTX_INPROC_SERVER,
                              IID_PPV_ARGS(&taskbar_)))) {
    taskbar_ = nullptr;
  } else if (FAILED(taskbar_->HrInit())) {
    taskbar_->Release();
    taskbar_ = nullptr;
  }
}

void MainWindow::CreateControls(HINSTANCE instance) {
  const int dpi = dpi_;
  const auto gui_font = reinterpret_cast<WPARAM>(GetStockObject(DEFAULT_GUI_FONT));
  log_font_ =
      CreateFontW(-MulDiv(form::kLogFontPoints, dpi, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                  SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                  FIXED_PITCH | FF_MODERN, Widen(form::kLogFontFace).c_str());
  // Controls are created in tab order: the dialog manager tabs through them in creation order.
  for (size_t i = 0; i < controls_.size(); ++i) {
    const form::Control& control = form::kControls[i];
    const ControlClass kind = ClassOf(control);
    const HWND hwnd = CreateWindowExW(
        kind.ex_style, kind.name, Widen(control.caption).c_str(),
        WS_CHILD | WS_VISIBLE | kind.style, TwipsToPixels(control.rect.left, dpi),
        TwipsToPixels(control.rect.top, dpi), TwipsToPixels(control.rect.width, dpi),
        TwipsToPixels(control.rect.height, dpi), hwnd_,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(kFirstControlId + i)), instance, nullptr);
    const bool log = control.name == "txtState";
    SendMessageW(hwnd, WM_SETFONT, log ? reinterpret_cast<WPARAM>(log_font_) : gui_font, FALSE);
    if (control.kind == form::Kind::kCheckBox) {
      SendMessageW(hwnd, BM_SETCHECK, control.ticked ? BST_CHECKED : BST_UNCHECKED, 0);
    }
    // A log of 10,000 units and a long line after it must fit; the default limit is 32,767.
    if (log) SendMessageW(hwnd, EM_SETLIMITTEXT, 0, 0);
    controls_[i] = hwnd;
  }
}

void MainWindow::PlaceControls() {
  RECT client;
  GetClientRect(hwnd_, &client);
  const int extra_width = client.right - TwipsToPixels(form::kClientWidth, dpi_);
  const int extra_height = client.bottom - TwipsToPixels(form::kClientHeight, dpi_);
  for (size_t i = 0; i < controls_.size(); ++i) {
    const form::Control& control = form::kControls[i];
    // The others keep their place, and a box turned into a drop-down keeps its list's height.
    if (control.anchor == form::kStays) continue;
    const form::Twips pixels{
        TwipsToPixels(control.rect.left, dpi_), TwipsToPixels(control.rect.top, dpi_),
        TwipsToPixels(control.rect.width, dpi_), TwipsToPixels(control.rect.height, dpi_)};
    const form::Twips at = form::Placed(control, pixels, extra_width, extra_height);
    MoveWindow(controls_[i], at.left, at.top, at.width, at.height, TRUE);
  }
}

HWND MainWindow::Control(std::string_view unique_name) const {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (form::UniqueName(form::kControls[i]) == unique_name) return controls_[i];
  }
  return nullptr;
}

void MainWindow::Show(int show_command) {
  ShowWindow(hwnd_, show_command);
  UpdateWindow(hwnd_);
  SetFocus(Control("cmdStart"));
}

HWND MainWindow::Box(FolderBox box) const {
  return Control(box == FolderBox::kKatjusha ? "txtKatju" : "txtLive");
}

std::string MainWindow::FolderText(FolderBox box) { return WindowText(Box(box)); }

void MainWindow::SetFolderText(FolderBox box, const std::string& text) {
  SetWindowTextW(Box(box), Widen(text).c_str());
}

bool MainWindow::IsTicked(std::size_t kind) {
  return SendMessageW(Control(form::CheckBoxOf(kind).name), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainWindow::SetTicked(std::size_t kind, bool ticked) {
  SendMessageW(Control(form::CheckBoxOf(kind).name), BM_SETCHECK,
               ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

void MainWindow::OfferFolders(FolderBox box, const std::vector<std::string>& folders) {
  // The box becomes a drop-down combo box in its place, in its place in the tab order.
  const HWND edit = Box(box);
  const RECT rect = ClientRect(hwnd_, edit);
  const HWND combo = CreateWindowExW(
      0, L"COMBOBOX", L"",
      WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL, rect.left,
      rect.top, rect.right - rect.left, (rect.bottom - rect.top) * 8, hwnd_,
      reinterpret_cast<HMENU>(GetDlgCtrlID(edit)),
      reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(hwnd_, GWLP_HINSTANCE)), nullptr);
  SendMessageW(combo, WM_SETFONT, SendMessageW(edit, WM_GETFONT, 0, 0), FALSE);
  for (const std::string& folder : folders) {
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Widen(folder).c_str()));
  }
  SetWindowTextW(combo, Widen(FolderText(box)).c_str());
  SetWindowPos(combo, edit, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  for (HWND& control : controls_) {
    if (control == edit) control = combo;
  }
  DestroyWindow(edit);
}

void MainWindow::OnDrop(HDROP drop) {
  POINT at{};
  DragQueryPoint(drop, &at);
  std::wstring path(DragQueryFileW(drop, 0, nullptr, 0) + 1, L'\0');
  path.resize(DragQueryFileW(drop, 0, path.data(), static_cast<UINT>(path.size())));
  DragFinish(drop);
  // On a box, or on the window beside it; not on the log.
  if (path.empty() || at.x >= ClientRect(hwnd_, Control("txtState")).left) return;
  const auto distance = [&](FolderBox box) {
    const RECT rect = ClientRect(hwnd_, Box(box));
    return std::abs((rect.top + rect.bottom) / 2 - at.y);
  };
  const FolderBox box = distance(FolderBox::kKatjusha) <= distance(FolderBox::kLive2ch)
                            ? FolderBox::kKatjusha
                            : FolderBox::kLive2ch;
  if (IsWindowEnabled(Box(box))) controller_.Drop(box, Narrow(path));
}

void MainWindow::EnableInputs(bool enabled) {
  for (size_t i = 0; i < controls_.size(); ++i) {
    if (form::LockedDuringRun(form::kControls[i])) EnableWindow(controls_[i], enabled);
  }
}

void MainWindow::EnableButton(Button button, bool enabled) {
  const char* name = button == Button::kStart     ? "cmdStart"
                     : button == Button::kPreview ? "cmdPreview"
                                                  : "cmdUndo";
  EnableWindow(Control(name), enabled);
}

void MainWindow::SetStartCaption(const std::string& caption) {
  SetWindowTextW(Control("cmdStart"), Widen(caption).c_str());
}

// The shell's picker opens at the top of the shell's namespace, as it always has.
std::string MainWindow::ChooseFolder(const std::string& title, const std::string&) {
  return dialogs_.ChooseFolder(hwnd_, title);
}

void MainWindow::AppendLogLines(const std::vector<std::string>& lines) {
  const HWND log = Control("txtState");
  std::string added;
  for (const std::string& line : lines) added.append(line).append("\r\n");
  const std::wstring wide = Widen(added);
  std::wstring text(GetWindowTextLengthW(log) + 1, L'\0');
  text.resize(GetWindowTextW(log, text.data(), static_cast<int>(text.size())));
  const size_t length = text.size();
  text += wide;
  const size_t cut =
      LogCut(std::u16string_view(reinterpret_cast<const char16_t*>(text.data()), text.size()));
  // The box lays out again only the lines that an edit touches: removing the oldest lines and
  // adding the newest costs little, where setting the whole text lays out all of it.
  const HiddenWhileEdited hidden(log);
  if (cut >= length) {
    SetWindowTextW(log, text.c_str() + cut);
    const auto kept = static_cast<WPARAM>(text.size() - cut);
    SendMessageW(log, EM_SETSEL, kept, static_cast<LPARAM>(kept));
  } else {
    if (cut > 0) {
      SendMessageW(log, EM_SETSEL, 0, static_cast<LPARAM>(cut));
      SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(L""));
    }
    // Appended at the end whatever the user has selected in the meantime.
    const auto end = static_cast<WPARAM>(length - cut);
    SendMessageW(log, EM_SETSEL, end, static_cast<LPARAM>(end));
    SendMessageW(log, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(wide.c_str()));
  }
  // The caret at the end shows the newest line.
  SendMessageW(log, EM_SCROLLCARET, 0, 0);
}

void MainWindow::ShowMessage(const std::string& text) { dialogs_.ShowMessage(hwnd_, text); }

bool MainWindow::Confirm(const std::string& text) { return dialogs_.Confirm(hwnd_, text); }

void MainWindow::ShowProgress(const std::string& title, const IndexProgress& progress) {
  SetWindowTextW(hwnd_, Widen(title).c_str());
  const HWND bar = Control("prgRun");
  // The bar counts in ints; per mille is as fine as it can show.
  const int per_mille = progress.finished || !progress.total ? 0
                        : *progress.total == 0
                            ? 1000
                            : static_cast<int>(progress.done * 1000 / *progress.total);
  SendMessageW(bar, PBM_SETRANGE32, 0, 1000);
  SendMessageW(bar, PBM_SETPOS, per_mille, 0);
  if (taskbar_ == nullptr) return;
  if (progress.finished) {
    taskbar_->SetProgressState(hwnd_, TBPF_NOPROGRESS);
  } else if (!progress.total) {
    taskbar_->SetProgressState(hwnd_, TBPF_INDETERMINATE);
  } else {
    taskbar_->SetProgressState(hwnd_, TBPF_NORMAL);
    taskbar_->SetProgressValue(hwnd_, progress.done, *progress.total);
  }
}

void MainWindow::PostDelivery() { PostMessageW(hwnd_, kDeliverMessage, 0, 0); }

void MainWindow::DeliverAfter(std::chrono::milliseconds delay) {
  SetTimer(hwnd_, kDeliverTimer, static_cast<UINT>(delay.count()), nullptr);
}

void MainWindow::Close() { DestroyWindow(hwnd_); }

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
        if (from == Control("cmdStart")) {
          controller_.Start();
        } else if (from == Control("cmdPreview")) {
          controller_.Preview();
        } else if (from == Control("cmdUndo")) {
          controller_.Undo();
        } else if (from == Control("cmdKatju")) {
          controller_.ChooseFolder(FolderBox::kKatjusha);
        } else if (from == Control("cmdLive")) {
          controller_.ChooseFolder(FolderBox::kLive2ch);
        }
        return 0;
      }
      if (HIWORD(wparam) == EN_CHANGE && reinterpret_cast<HWND>(lparam) == Control("txtLive")) {
        controller_.FolderEdited(FolderBox::kLive2ch);
        return 0;
      }
      break;
    case kDeliverMessage:
      controller_.Deliver();
      return 0;
    case WM_TIMER:
      if (wparam != kDeliverTimer) break;
      KillTimer(hwnd, kDeliverTimer);
      controller_.Deliver();
      return 0;
    case WM_SIZE:
      if (wparam != SIZE_MINIMIZED) PlaceControls();  // a minimized window has no room to share
      return 0;
    case WM_GETMINMAXINFO: {
      // The smallest size is the layout's own.
      RECT frame{0, 0, TwipsToPixels(form::kClientWidth, dpi_),
                 TwipsToPixels(form::kClientHeight, dpi_)};
      AdjustWindowRectEx(&frame, kWindowStyle, FALSE, 0);
      auto* limits = reinterpret_cast<MINMAXINFO*>(lparam);
      limits->ptMinTrackSize = {frame.right - frame.left, frame.bottom - frame.top};
      return 0;
    }
    case WM_CTLCOLORSTATIC:
      // A read-only box is drawn grey, as if it were disabled; the log is as readable as ever.
      if (reinterpret_cast<HWND>(lparam) == Control("txtState")) {
        SetBkColor(reinterpret_cast<HDC>(wparam), GetSysColor(COLOR_WINDOW));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_WINDOW));
      }
      break;
    case WM_DROPFILES:
      OnDrop(reinterpret_cast<HDROP>(wparam));
      return 0;
    case WM_CLOSE:
      // During a run the controller refuses, stops the run and closes the window after it.
      if (controller_.RequestClose()) DestroyWindow(hwnd);
      return 0;
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
