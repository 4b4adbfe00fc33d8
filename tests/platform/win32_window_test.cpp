// frmMain on Win32, driven through its controls found by name, with the dialogs injected: the
// controls, keyboard, the chooser and its buffer, the log box, the start button and closing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <random>

#include "app/win32/main_window.h"
#include "util/win32/wide.h"

namespace mirelda {
namespace {

namespace fs = std::filesystem;

struct FakeDialogs final : win32::Dialogs {
  std::vector<std::string> messages;
  std::string pick;  // what the chooser gives, "" for a cancel
  std::function<void()> on_message = [] {};
  void ShowMessage(HWND, const std::string& text) override {
    on_message();
    messages.push_back(text);
  }
  std::string ChooseFolder(HWND, const std::string&) override { return pick; }
};

std::string Text(HWND hwnd) {
  std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
  text.resize(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())));
  return Narrow(text);
}

class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create(GetModuleHandleW(nullptr), nullptr));
    window_.Show(SW_SHOWNORMAL);
  }
  void TearDown() override { fs::remove_all(root_); }
  HWND Control(const char* name) { return window_.Control(name); }
  void Click(const char* name) { SendMessageW(Control(name), BM_CLICK, 0, 0); }
  // Boxes naming folders k and l that hold the two programs.
  void PointAtFolders() {
    for (const char* file : {"k/Katjusha.exe", "l/live2ch.exe"}) {
      fs::create_directories((root_ / file).parent_path());
      std::ofstream(root_ / file) << "MZ";
    }
    SetWindowTextW(Control("txtKatju"), (root_ / "k").c_str());
    SetWindowTextW(Control("txtLive"), (root_ / "l").c_str());
  }

  const fs::path root_ =
      fs::temp_directory_path() / ("mirelda-window-" + std::to_string(std::random_device{}()));
  FakeDialogs dialogs_;
  std::error_code error_;
  std::unique_ptr<Cp932Codec> codec_ = Cp932Codec::Open(error_);
  std::unique_ptr<FileSystem> fs_ = MakeNativeFileSystem();
  win32::MainWindow window_{dialogs_, *fs_, *codec_};
};

TEST_F(Win32WindowTest, ControlsAreTheTwipsLayoutInPixels) {
  EXPECT_EQ(Text(window_.hwnd()), "mirelda Ver1.00");
  RECT client;
  GetClientRect(window_.hwnd(), &client);
  EXPECT_EQ(client.right, 537);  // the twips of the layout at 96 dots per inch
  EXPECT_EQ(client.bottom, 160);
  EXPECT_EQ(Text(Control("Label1_0")), "かちゅ～しゃのパス");
  EXPECT_EQ(SendMessageW(Control("chkAllIdx"), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control("txtState"), WM_GETFONT, 0, 0)),
             sizeof font, &font);
  EXPECT_EQ(Narrow(font.lfFaceName), "ＭＳ ゴシック");
  EXPECT_EQ(font.lfHeight, -12);  // 9 points at 96 dots per inch
}

TEST_F(Win32WindowTest, StartHasTheFocusTabLeavesTheLogAndAltSPressesStart) {
  EXPECT_EQ(GetFocus(), Control("cmdStart"));
  SetFocus(Control("txtState"));
  MSG tab{Control("txtState"), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(window_.HandleDialogKeys(tab));
  EXPECT_EQ(GetFocus(), Control("cmdLive"));
  MSG alt_s{Control("cmdLive"), WM_SYSCHAR, 's', 1 << 29, 0, {}};
  EXPECT_TRUE(window_.HandleDialogKeys(alt_s));
  EXPECT_EQ(dialogs_.messages, std::vector<std::string>{"かちゅ～しゃが見つかりません"});
}

TEST_F(Win32WindowTest, TheChosenFolderGoesIntoTheBoxBesideTheButton) {
  dialogs_.pick = "C:\\k";
  Click("cmdKatju");
  dialogs_.pick = "";
  Click("cmdKatju");
  EXPECT_EQ(Text(Control("txtKatju")), "C:\\k");
  using namespace std::string_literals;
  EXPECT_EQ(win32::FolderFromBuffer("  C:\\k\0\0"s), "C:\\k");
  EXPECT_EQ(win32::FolderFromBuffer(std::string(MAX_PATH, '\0')), "");
}

TEST_F(Win32WindowTest, TheLogIsCutInUtf16UnitsAndAlwaysAppendsAtTheEnd) {
  // "板" is one UTF-16 unit but three UTF-8 bytes: the bound counts units.
  window_.AppendLogLine("板" + std::string(9997, 'a'));
  EXPECT_EQ(GetWindowTextLengthW(Control("txtState")), 10000);  // exactly at the bound: whole
  SendMessageW(Control("txtState"), EM_SETSEL, 0, 1);  // the user selects the first character
  window_.AppendLogLine("z");
  EXPECT_EQ(GetWindowTextLengthW(Control("txtState")), 9000);
  EXPECT_TRUE(Text(Control("txtState")).ends_with("a\r\nz\r\n"));
}

TEST_F(Win32WindowTest, StartRunsWithTheInputsLocked) {
  PointAtFolders();
  bool locked = false;
  dialogs_.on_message = [&] {
    locked = !IsWindowEnabled(Control("txtKatju")) && !IsWindowEnabled(Control("chkFav"));
  };
  Click("cmdStart");
  EXPECT_TRUE(locked);
  EXPECT_EQ(dialogs_.messages, std::vector<std::string>{"すべて変換終了"});
  EXPECT_TRUE(IsWindowEnabled(Control("cmdKatju")));
  EXPECT_FALSE(IsWindowEnabled(Control("cmdStart")));
}

TEST_F(Win32WindowTest, ACloseDuringARunStopsItAndDestroysTheWindowAfterIt) {
  PointAtFolders();  // thread warehouses ticked: a file search
  PostMessageW(window_.hwnd(), WM_CLOSE, 0, 0);
  Click("cmdStart");
  EXPECT_EQ(window_.hwnd(), nullptr);
  EXPECT_TRUE(dialogs_.messages.empty());
  MSG quit;  // the destroyed window's quit, which would end the next test's run
  EXPECT_TRUE(PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace
}  // namespace mirelda
