// frmMain on Win32, driven through its controls found by name, with the dialogs injected.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <functional>
#include <thread>

#include "app/win32/main_window.h"
#include "app/win32/settings_store.h"
#include "tests/test_support.h"
#include "util/win32/wide.h"

namespace mirelda {

static std::string Text(HWND hwnd) {
  std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
  return Narrow(text.substr(0, GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
}

// The test's file system, each read made slow, as on a busy disk: a run then lasts long enough
// to show whether the window keeps answering.
class SlowFileSystem final : public ForwardingFileSystem {
 public:
  using ForwardingFileSystem::ForwardingFileSystem;
  std::error_code ReadWholeUpTo(const std::string& path, std::int64_t most,
                                std::string& bytes) override {
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return ForwardingFileSystem::ReadWholeUpTo(path, most, bytes);
  }
};

// The window, shown once its "..." buttons have filled their boxes: only then does a run pass its
// checks.
class Win32WindowTest : public test::FolderPair, public win32::Dialogs {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create(GetModuleHandleW(nullptr), nullptr));
    for (auto* button : {"cmdKatju", "cmdLive"}) SendMessageW(Control(button), BM_CLICK, 0, 0);
    window_.Show(SW_SHOWNORMAL);
  }
  void ShowMessage(HWND, const std::string& text) override { messages_.push_back(text); }
  bool Confirm(HWND, const std::string&) override { return false; }
  std::string ChooseFolder(HWND, const std::string&) override { return dir_.Path({*picks_++}); }
  HWND Control(const char* name) { return window_.Control(name); }

  // Handles the window's messages until `done` says so, at most for a minute.
  void Pump(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::minutes(1);
    MSG msg;
    while (!done() && std::chrono::steady_clock::now() < until) {
      if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
      } else if (!window_.HandleDialogKeys(msg)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
    }
  }

  std::atomic<bool> probes_ended_ = false;
  const char* picks_ = "kl";  // the folders chosen in turn
  std::vector<std::string> messages_;
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open();
  SettingsInMemory settings_;
  SlowFileSystem slow_{fs_};
  win32::MainWindow window_{*this, slow_, *codec_, settings_};
};

TEST_F(Win32WindowTest, ControlsLayoutTheBoundReadOnlyLogTabAndAnAltSRun) {
  RECT client, log;
  GetClientRect(window_.hwnd(), &client);
  EXPECT_EQ((std::pair{client.right, client.bottom}), (std::pair<LONG, LONG>{537, 160}));
  EXPECT_EQ(Text(Control("Label1_0")), "かちゅ～しゃのパス");
  EXPECT_TRUE(window_.IsTicked(KindIndex("fav")) && !window_.IsTicked(KindIndex("allidx")));
  window_.AppendLogLines({"板" + std::string(9997, 'a')});      // 板: 1 UTF-16 unit, 3 UTF-8 bytes
  EXPECT_EQ(GetWindowTextLengthW(Control("txtState")), 10000);  // exactly at the bound: whole
  SendMessageW(Control("txtState"), EM_SETSEL, 0, 1);  // the user selects the first character
  window_.AppendLogLines({"z"});
  EXPECT_EQ(Text(Control("txtState")), std::string(8995, 'a') + "\r\nz\r\n");
  EXPECT_TRUE(GetWindowLongW(Control("txtState"), GWL_STYLE) & ES_READONLY);

  // A larger window: the log takes the room.
  RECT frame;
  GetWindowRect(window_.hwnd(), &frame);
  SetWindowPos(window_.hwnd(), nullptr, 0, 0, frame.right - frame.left + 100,
               frame.bottom - frame.top + 50, SWP_NOMOVE | SWP_NOZORDER);
  GetWindowRect(Control("txtState"), &log);
  EXPECT_EQ((std::pair{log.right - log.left, log.bottom - log.top}),
            (std::pair<LONG, LONG>{357, 160}));

  // Out of the log to the buttons below it, past the undo button with nothing to undo.
  SetFocus(Control("txtState"));
  for (const char* next : {"cmdPreview", "cmdStart"}) {
    MSG key{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};
    EXPECT_TRUE(window_.HandleDialogKeys(key));
    EXPECT_EQ(GetFocus(), Control(next));
  }
  MSG key{GetFocus(), WM_SYSCHAR, 's', 1 << 29, 0, {}};
  EXPECT_TRUE(window_.HandleDialogKeys(key));
  EXPECT_EQ(Text(Control("cmdStart")), "中止(&S)");
  Pump([&] { return !messages_.empty(); });
  EXPECT_EQ(messages_, std::vector<std::string>{"すべて変換終了"});
  EXPECT_EQ(Text(Control("cmdStart")), "変換開始(&S)");
}

// A hundred thousand favourites, a run of more than a second: the window answers within a tenth
// of a second throughout, and a close waits for the run's end.
TEST_F(Win32WindowTest, TheWindowAnswersDuringALongRunAndAClosedOneClosesAfterIt) {
  std::string favourites;
  for (int i = 0; i < 100000; ++i) favourites += "h\\b\\" + std::to_string(i) + ".idx\r\n";
  Katjusha("favorite.idx", favourites);
  SendMessageW(Control("cmdStart"), BM_CLICK, 0, 0);
  std::atomic<bool> probing = true;
  std::atomic<int> answered = 0, unanswered = 0;
  std::thread prober([&] {
    while (probing) {
      DWORD_PTR result;
      const bool answer =
          SendMessageTimeoutW(window_.hwnd(), WM_NULL, 0, 0, SMTO_NORMAL, 100, &result) != 0;
      ++(answer ? answered : unanswered);
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    probes_ended_ = true;
  });
  const auto second = std::chrono::steady_clock::now() + std::chrono::seconds(1);
  Pump([&] { return std::chrono::steady_clock::now() > second; });
  probing = false;
  Pump([&] { return probes_ended_.load(); });  // the last probe is answered too
  prober.join();
  EXPECT_EQ(unanswered, 0);
  EXPECT_GT(answered, 20);
  EXPECT_EQ(Text(Control("cmdStart")), "中止(&S)");  // the run still goes on
  PostMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
  Pump([&] { return window_.hwnd() == nullptr; });
  EXPECT_EQ(window_.hwnd(), nullptr);
  EXPECT_TRUE(messages_.empty());  // a stop by closing asks nothing more
}

// Dropped on a box or beside it (on its label), a folder or a program's path fills that box.
TEST_F(Win32WindowTest, ADroppedFolderOrProgramFillsTheBoxItIsDroppedOn) {
  const auto drop = [&](const std::string& path, const char* on) {
    RECT rect;
    GetWindowRect(Control(on), &rect);
    MapWindowPoints(nullptr, window_.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    const std::wstring wide = Widen(path);
    const HGLOBAL memory =
        GlobalAlloc(GHND, sizeof(DROPFILES) + (wide.size() + 2) * sizeof(wchar_t));
    auto* files = static_cast<DROPFILES*>(GlobalLock(memory));
    files->pFiles = sizeof(DROPFILES);
    files->pt = {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
    files->fWide = TRUE;
    std::memcpy(files + 1, wide.c_str(), wide.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    SendMessageW(window_.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
  };
  drop(dir_.Path("m"), "txtKatju");
  drop(live2ch_ + "live2ch.exe", "Label1_1");
  drop(katjusha_, "txtState");  // on no box
  EXPECT_EQ(Text(Control("txtKatju")), dir_.Path("m"));
  EXPECT_EQ(Text(Control("txtLive")), live2ch_);
}

TEST(Win32SettingsTest, TheIniFileKeepsTextsOutsideTheAnsiCodePageAndABrokenOneIsIgnored) {
  test::TempDir dir;
  const std::wstring path = Widen(dir.Path("m/mirelda.ini"));
  win32::IniSettingsStore(path).SetValue("katjusha", "C:\\かちゅ～しゃ\\");
  EXPECT_EQ(win32::IniSettingsStore(path).Value("katjusha"), "C:\\かちゅ～しゃ\\");
  EXPECT_FALSE(win32::IniSettingsStore(path).Value("live2ch"));
  test::WriteBytes(dir.Path("m/mirelda.ini"), std::string("\xff\xfe[\0k\0\xff\xfe=", 10));
  EXPECT_FALSE(win32::IniSettingsStore(path).Value("katjusha"));
}

TEST(Win32PickerTest, TheBufferIsCutToTheFolder) {
  EXPECT_EQ(win32::FolderFromBuffer(std::string(" \0\r\nC:\\k\0 ", 10)), "C:\\k");
  EXPECT_EQ(win32::FolderFromBuffer(std::string(MAX_PATH, '\0')), "");
}

}  // namespace mirelda
