// Runs one conversion of the favourites through the Windows window and prints how long it took
// and the longest time between two WM_PAINT messages: the Win32 half of bench/window-log.
#include <windows.h>

#include <chrono>
#include <cstdio>

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

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: mirelda_bench_window_log KATJUSHA_FOLDER LIVE2CH_FOLDER\n");
    return 2;
  }
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
  const auto start = Clock::now();
  SendMessageW(window.Control("cmdStart"), BM_CLICK, 0, 0);
  Clock::time_point painted{};
  Clock::duration longest{};
  Clock::time_point longest_end{};
  Clock::duration busiest{};  // the longest the window took over one message
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (msg.message == WM_PAINT) {
      const auto now = Clock::now();
      if (painted != Clock::time_point{} && now - painted > longest) {
        longest = now - painted;
        longest_end = now;
      }
      painted = now;
    }
    const auto handling = Clock::now();
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    busiest = std::max(busiest, Clock::now() - handling);
  }
  const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
  const auto ms = [](Clock::duration d) {
    return static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(d).count());
  };
  std::printf(
      "%.3f s, longest between repaints %lld ms, ending %.3f s after the start, longest over "
      "one message %lld ms\n",
      seconds, ms(longest), std::chrono::duration<double>(longest_end - start).count(),
      ms(busiest));
  return 0;
}
