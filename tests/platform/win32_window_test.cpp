// frmMain on Win32, driven through its controls found by name, with the dialogs injected.
#include <gtest/gtest.h>

#include "app/win32/main_window.h"
#include "tests/test_support.h"
#include "util/win32/wide.h"

namespace mirelda {
namespace {

std::string Text(HWND hwnd) {
  std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
  return Narrow(text.substr(0, GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
}

// The window, shown once its "..." buttons have chosen the pair's folders: a run past its checks
// shows their wiring. As its dialogs, the fixture notes each message, marked if inputs are locked.
class Win32WindowTest : public test::FolderPair, public win32::Dialogs {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create(GetModuleHandleW(nullptr), nullptr));
    for (const char* button : {"cmdKatju", "cmdLive"}) Click(button);
    window_.Show(SW_SHOWNORMAL);
  }
  void ShowMessage(HWND, const std::string& text) override {
    messages_.push_back(text + (IsWindowEnabled(Control("txtKatju")) ? "" : " (locked)"));
  }
  std::string ChooseFolder(HWND, const std::string&) override { return picks_.at(chosen_++); }
  HWND Control(const char* name) { return window_.Control(name); }
  void Click(const char* name) { SendMessageW(Control(name), BM_CLICK, 0, 0); }

  std::vector<std::string> messages_, picks_{dir_.Path("k"), dir_.Path("l")};
  size_t chosen_ = 0;
  std::error_code error_;
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open(error_);
  win32::MainWindow window_{*this, fs_, *codec_};
};

TEST_F(Win32WindowTest, ControlsAreTheTwipsLayoutInPixelsAndTheLogIsBoundInUtf16Units) {
  EXPECT_EQ(Text(window_.hwnd()), "mirelda Ver1.00");
  RECT client;
  GetClientRect(window_.hwnd(), &client);
  EXPECT_EQ((std::pair{client.right, client.bottom}), (std::pair<LONG, LONG>{537, 160}));
  EXPECT_EQ(Text(Control("Label1_0")), "かちゅ～しゃのパス");
  EXPECT_TRUE(window_.IsTicked("chkFav") && !window_.IsTicked("chkAllIdx"));
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control("txtState"), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_EQ(Narrow(font.lfFaceName), "ＭＳ ゴシック");
  EXPECT_EQ(font.lfHeight, -12);  // 9 points at 96 dots per inch
  // "板" is one UTF-16 unit but three UTF-8 bytes: the bound counts units.
  window_.AppendLogLine("板" + std::string(9997, 'a'));
  EXPECT_EQ(GetWindowTextLengthW(Control("txtState")), 10000);  // exactly at the bound: whole
  SendMessageW(Control("txtState"), EM_SETSEL, 0, 1);  // the user selects the first character
  window_.AppendLogLine("z");
  EXPECT_EQ(GetWindowTextLengthW(Control("txtState")), 9000);
  EXPECT_TRUE(Text(Control("txtState")).ends_with("a\r\nz\r\n"));
}

TEST_F(Win32WindowTest, StartHasTheFocusTabLeavesTheLogAndAltSRunsWithTheInputsLocked) {
  EXPECT_EQ(GetFocus(), Control("cmdStart"));
  SetFocus(Control("txtState"));
  MSG tab{Control("txtState"), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(window_.HandleDialogKeys(tab));
  EXPECT_EQ(GetFocus(), Control("cmdLive"));
  MSG alt_s{Control("cmdLive"), WM_SYSCHAR, 's', 1 << 29, 0, {}};
  EXPECT_TRUE(window_.HandleDialogKeys(alt_s));
  EXPECT_EQ(messages_, std::vector<std::string>{"すべて変換終了 (locked)"});
  EXPECT_TRUE(IsWindowEnabled(Control("cmdKatju")) && !IsWindowEnabled(Control("cmdStart")));
}

TEST_F(Win32WindowTest, ACloseDuringARunStopsItAndDestroysTheWindowAfterIt) {
  PostMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
  Click("cmdStart");  // the thread warehouses ticked: a file search, which lets the events through
  EXPECT_EQ(window_.hwnd(), nullptr);
  EXPECT_TRUE(messages_.empty());
  MSG quit;  // the destroyed window's quit, which would end the next test's run
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

TEST(Win32PickerTest, TheBufferIsCutToTheFolder) {
  EXPECT_EQ(win32::FolderFromBuffer(std::string(" \0\r\nC:\\k\0 ", 10)), "C:\\k");
  EXPECT_EQ(win32::FolderFromBuffer(std::string(MAX_PATH, '\0')), "");
}

}  // namespace
}  // namespace mirelda
