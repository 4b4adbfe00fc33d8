// Runs one conversion of the favourites through the Windows window and prints how long it took
// and the longest time between two repaints (WM_PAINT, from the queue or sent by UpdateWindow)
// of the window or any of its controls: the Win32 half of bench/window-log.
// clang-format off
#include <windows.h>
#include <objbase.h>
// clang-format on

#include <chrono>
#include <cstdio>
#include <map>

#include "app/win32/main_window.h"
#include "util/win32/wide.h"

namespace {

using Clock = std::chrono::steady_clock;

// The run's closing message ends the measure and waits for no one.
class NoDialogs final : public mirelda::win32::Dialogs {
 public:
  void ShowMessage(HWND, const std::string&) override { PostQuitMessage(0); }
  bool Confirm(HWND, const std::string&) override { return false; }
  std::string ChooseFolder(HWND, const std::string&) override { return {}; }
};

// When the window was last painted, the longest time between two paints and when it ended.
struct Paints {
  Clock::time_point last;
  Clock::duration longest{};
  Clock::time_point longest_end;

  void Painted() {
    const auto now = Clock::now();
    if (last != Clock::time_point{} && now - last > longest) {
      longest = now - last;
      longest_end = now;
    }
    last = now;
  }
};

Paints paints;

// The procedure of each window watched, by window. A property or SetWindowSubclass would find
// it too, but Wine asks its server for a window's property, for every message.
std::map<HWND, WNDPROC> procedures;

// Notes each paint as it reaches a window's procedure: one queued by the system and one sent by
// UpdateWindow alike.
LRESULT CALLBACK NotePaint(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_PAINT) paints.Painted();
  return CallWindowProcW(procedures.at(hwnd), hwnd, message, wparam, lparam);
}

BOOL CALLBACK WatchPaints(HWND hwnd, LPARAM) {
  procedures[hwnd] = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NotePaint)));
  return TRUE;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mirelda_bench_window_log KATJUSHA_FOLDER LIVE2CH_FOLDER\n");
    return 2;
  }
  // As mirelda.exe: the taskbar button's progress is a COM object.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  NoDialogs dialogs;
  const auto codec = mirelda::Cp932Codec::Open();
  const auto fs = mirelda::MakeNativeFileSystem();
  mirelda::SettingsInMemory settings;
  mirelda::win32::MainWindow window(dialogs, *fs, *codec, settings);
  if (!window.Create(GetModuleHandleW(nullptr), nullptr)) return 1;
  window.Show(SW_SHOWNORMAL);
  SetWindowTextW(window.Control("txtKatju"), argv[1]);
  SetWindowTextW(window.Control("txtLive"), argv[2]);
  for (const mirelda::form::Control& control : mirelda::form::kControls) {
    if (control.kind != mirelda::form::Kind::kCheckBox) continue;
    SendMessageW(window.Control(control.name), BM_SETCHECK,
                 control.name == "chkFav" ? BST_CHECKED : BST_UNCHECKED, 0);
  }
  WatchPaints(window.hwnd(), 0);
  EnumChildWindows(window.hwnd(), WatchPaints, 0);
  const auto start = Clock::now();
  SendMessageW(window.Control("cmdStart"), BM_CLICK, 0, 0);
  Clock::duration busiest{};  // the longest the window took over one message
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    const auto handling = Clock::now();
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    busiest = std::max(busiest, Clock::now() - handling);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  FILETIME created, ended, kernel, user;
  GetThreadTimes(GetCurrentThread(), &created, &ended, &kernel, &user);
  const auto cpu_seconds = [](FILETIME time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e7;
  };
  const auto ms = [](Clock::duration d) {
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
  };
  std::printf(
      "%.3f s, longest between repaints %lld ms, ending %.3f s after the start, longest over "
      "one message %lld ms, the window's thread busy for %.3f s\n",
      seconds, ms(paints.longest),
      std::chrono::duration<double>(paints.longest_end - start).count(), ms(busiest),
      cpu_seconds(kernel) + cpu_seconds(user));
  return 0;
}
