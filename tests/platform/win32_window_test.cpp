// frmMain on Win32, driven through its controls found by name, with the dialogs injected.
#include <gtest/gtest.h>
#include <shlobj.h>

#include <cstring>

#include "app/win32/main_window.h"
#include "app/win32/settings_store.h"
#include "tests/test_support.h"
#include "util/win32/wide.h"

namespace mirelda {

static std::string Text(HWND hwnd) {
  std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
  return Narrow(text.substr(0, GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
}

// The window, shown once its "..." buttons have filled their boxes: only then does a run pass its
// checks. A run stopped by a close shows no message, so any message is a failure.
class Win32WindowTest : public test::FolderPair, public win32::Dialogs {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create(GetModuleHandleW(nullptr), nullptr));
    for (auto* button : {"cmdKatju", "cmdLive"}) SendMessageW(Control(button), BM_CLICK, 0, 0);
    window_.Show(SW_SHOWNORMAL);
  }
  void ShowMessage(HWND, const std::string& text) override { ADD_FAILURE() << text; }
  std::string ChooseFolder(HWND, const std::string&) override { return dir_.Path({*picks_++}); }
  HWND Control(const char* name) { return window_.Control(name); }

  const char* picks_ = "kl";  // the folders chosen in turn
  std::error_code error_;
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open(error_);
  SettingsInMemory settings_;
  win32::MainWindow window_{*this, fs_, *codec_, settings_};
};

TEST_F(Win32WindowTest, ControlsTheBoundLogTabAndACloseDuringAnAltSRun) {
  RECT client;
  GetClientRect(window_.hwnd(), &client);
  EXPECT_EQ((std::pair{client.right, client.bottom}), (std::pair<LONG, LONG>{537, 160}));
  EXPECT_EQ(Text(Control("Label1_0")), "かちゅ～しゃのパス");
  EXPECT_TRUE(window_.IsTicked(KindIndex("fav")) && !window_.IsTicked(KindIndex("allidx")));
  EXPECT_EQ(SendMessageW(Control("chkFav"), BM_GETCHECK, 0, 0), BST_CHECKED);
  window_.AppendLogLine("板" + std::string(9997, 'a'));         // 板: 1 UTF-16 unit, 3 UTF-8 bytes
  EXPECT_EQ(GetWindowTextLengthW(Control("txtState")), 10000);  // exactly at the bound: whole
  SendMessageW(Control("txtState"), EM_SETSEL, 0, 1);  // the user selects the first character
  window_.AppendLogLine("z");
  EXPECT_EQ(Text(Control("txtState")), std::string(8995, 'a') + "\r\nz\r\n");

  MSG key{GetFocus(), WM_KEYDOWN, VK_TAB, 0, 0, {}};  // from the start button into the log box
  EXPECT_TRUE(window_.HandleDialogKeys(key));
  key.hwnd = GetFocus();  // and out of it
  EXPECT_TRUE(window_.HandleDialogKeys(key));
  EXPECT_EQ(GetFocus(), Control("cmdLive"));
  // Alt+S: a run whose search of the warehouses lets the close through, then the window goes.
  PostMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
  key = {GetFocus(), WM_SYSCHAR, 's', 1 << 29, 0, {}};
  EXPECT_TRUE(window_.HandleDialogKeys(key));
  EXPECT_EQ(window_.hwnd(), nullptr);
  EXPECT_TRUE(PeekMessageW(&key, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));  // the loop's end
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
