// frmMain on Win32: the controls as the form table lays them out, keyboard handling, the
// folder buttons, the log bound and a whole conversion, with the dialogs injected.
#include <gtest/gtest.h>

#include <deque>

#include "app/form_layout.h"
#include "app/texts.h"
#include "app/win32/main_window.h"
#include "tests/test_support.h"
#include "util/win32/wide.h"

namespace mirelda {
namespace {

using test::ReadBytes;
using test::WriteBytes;

class FakeDialogs final : public win32::Dialogs {
 public:
  std::vector<std::string> messages;
  std::vector<std::string> picker_titles;
  std::deque<std::string> picks;  // raw path buffers; a cancel when none is left

  void ShowMessage(HWND, const std::string& text) override { messages.push_back(text); }
  std::string ChooseFolder(HWND, const std::string& title) override {
    picker_titles.push_back(title);
    std::string pick = picks.empty() ? std::string(MAX_PATH, '\0') : picks.front();
    if (!picks.empty()) picks.pop_front();
    return pick;
  }
};

std::string Text(HWND hwnd) {
  std::wstring text(GetWindowTextLengthW(hwnd) + 1, L'\0');
  text.resize(GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size())));
  return Narrow(text);
}

std::string ClassName(HWND hwnd) {
  wchar_t name[64];
  return Narrow(std::wstring(name, GetClassNameW(hwnd, name, 64)));
}

// A path buffer as the shell fills it: the path, then NULs to MAX_PATH characters.
std::string Buffer(const std::string& path) { return path + std::string(MAX_PATH, '\0'); }

class Win32WindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(window_.Create(GetModuleHandleW(nullptr), nullptr));
    window_.Show(SW_SHOWNORMAL);
  }
  HWND Control(const char* name) { return window_.Control(name); }
  void Click(const char* name) { SendMessageW(Control(name), BM_CLICK, 0, 0); }
  std::string Log() { return Text(Control("txtState")); }

  FakeDialogs dialogs_;
  Cp932Codec codec_;
  std::unique_ptr<FileSystem> fs_ = MakeNativeFileSystem();
  win32::MainWindow window_{dialogs_, *fs_, codec_};
};

TEST_F(Win32WindowTest, ControlsFollowTheFormTable) {
  const HDC screen = GetDC(nullptr);
  ASSERT_EQ(GetDeviceCaps(screen, LOGPIXELSY), 96);  // 15 twips per pixel
  ReleaseDC(nullptr, screen);
  EXPECT_EQ(Text(window_.hwnd()), "mirelda Ver1.00");
  RECT client;
  GetClientRect(window_.hwnd(), &client);
  EXPECT_EQ(client.right, 537);
  EXPECT_EQ(client.bottom, 160);
  EXPECT_EQ(GetWindowLongW(window_.hwnd(), GWL_STYLE) & WS_THICKFRAME, 0);  // fixed size

  const auto gui_font = reinterpret_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  for (const form::Control& control : form::kControls) {
    const std::string name = form::UniqueName(control);
    const HWND hwnd = Control(name.c_str());
    ASSERT_NE(hwnd, nullptr) << name;
    RECT rect;
    GetWindowRect(hwnd, &rect);
    MapWindowPoints(nullptr, window_.hwnd(), reinterpret_cast<POINT*>(&rect), 2);
    EXPECT_EQ(rect.left, form::ToPixels(control.rect.left)) << name;
    EXPECT_EQ(rect.top, form::ToPixels(control.rect.top)) << name;
    EXPECT_EQ(rect.right - rect.left, form::ToPixels(control.rect.width)) << name;
    EXPECT_EQ(rect.bottom - rect.top, form::ToPixels(control.rect.height)) << name;
    EXPECT_EQ(Text(hwnd), name == "txtState" ? "" : control.caption) << name;
    const LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    const auto font = reinterpret_cast<HFONT>(SendMessageW(hwnd, WM_GETFONT, 0, 0));
    switch (control.kind) {
      case form::Kind::kCheckBox:
        EXPECT_EQ(style & BS_TYPEMASK, BS_AUTOCHECKBOX) << name;
        EXPECT_EQ(SendMessageW(hwnd, BM_GETCHECK, 0, 0), control.ticked ? BST_CHECKED : 0);
        break;
      case form::Kind::kButton:
        EXPECT_EQ(ClassName(hwnd), "Button");
        EXPECT_EQ(style & BS_TYPEMASK, BS_PUSHBUTTON) << name;
        break;
      case form::Kind::kLabel:
        EXPECT_EQ(ClassName(hwnd), "Static");
        break;
      case form::Kind::kTextBox:
        EXPECT_EQ(ClassName(hwnd), "Edit");
        EXPECT_EQ((style & ES_MULTILINE) != 0, name == "txtState") << name;
        EXPECT_EQ((style & WS_VSCROLL) != 0, name == "txtState") << name;
        EXPECT_EQ(style & ES_READONLY, 0) << name;
        break;
    }
    if (name != "txtState") EXPECT_EQ(font, gui_font) << name;
  }

  LOGFONTW log_font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Control("txtState"), WM_GETFONT, 0, 0)),
             sizeof log_font, &log_font);
  EXPECT_EQ(Narrow(log_font.lfFaceName), "ＭＳ ゴシック");
  EXPECT_EQ(log_font.lfHeight, -12);  // 9 points at 96 dots per inch
  EXPECT_EQ(log_font.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(log_font.lfWeight, FW_NORMAL);
}

TEST_F(Win32WindowTest, StartHasTheFocusAndTabFollowsTheTable) {
  EXPECT_EQ(GetFocus(), Control("cmdStart"));
  std::vector<std::string> order;
  HWND at = Control("cmdStart");
  do {
    for (const form::Control& control : form::kControls) {
      if (Control(form::UniqueName(control).c_str()) == at) order.push_back(control.name);
    }
    at = GetNextDlgTabItem(window_.hwnd(), at, FALSE);
  } while (at != Control("cmdStart") && order.size() < 20);
  EXPECT_EQ(order, (std::vector<std::string>{"cmdStart", "txtState", "cmdLive", "txtLive",
                                             "cmdKatju", "txtKatju", "chkNameMail", "chkAllIdx",
                                             "chkFtd", "chkBrd", "chkFav", "chkMyboard"}));

  // Tab leaves the multi-line log box instead of typing into it.
  SetFocus(Control("txtState"));
  MSG tab{Control("txtState"), WM_KEYDOWN, VK_TAB, 0, 0, {}};
  EXPECT_TRUE(window_.HandleDialogKeys(tab));
  EXPECT_EQ(GetFocus(), Control("cmdLive"));
  EXPECT_EQ(Log(), "");
}

TEST_F(Win32WindowTest, AltSPressesStartAndAFailedCheckLeavesItEnabled) {
  SetFocus(Control("chkFav"));
  MSG alt_s{Control("chkFav"), WM_SYSCHAR, 's', 1 << 29, 0, {}};
  EXPECT_TRUE(window_.HandleDialogKeys(alt_s));
  EXPECT_EQ(dialogs_.messages, std::vector<std::string>{"かちゅ～しゃが見つかりません"});
  EXPECT_EQ(Text(Control("txtKatju")), "\\");
  EXPECT_TRUE(IsWindowEnabled(Control("cmdStart")));
}

TEST_F(Win32WindowTest, LoadShowsTheNoticeBeforeTheInstructionLine) {
  window_.Form_Load();
  EXPECT_EQ(dialogs_.messages, std::vector<std::string>{kStartupNotice});
  EXPECT_EQ(Log(), std::string(kInstructionLine) + "\r\n");
}

TEST_F(Win32WindowTest, FolderButtonsFillTheirBoxAndACancelKeepsIt) {
  dialogs_.picks = {Buffer("  C:\\k"), Buffer(""), Buffer("D:\\")};
  Click("cmdKatju");
  EXPECT_EQ(Text(Control("txtKatju")), "C:\\k");
  Click("cmdKatju");  // cancelled
  EXPECT_EQ(Text(Control("txtKatju")), "C:\\k");
  Click("cmdLive");
  EXPECT_EQ(Text(Control("txtLive")), "D:\\");
  EXPECT_EQ(dialogs_.picker_titles, std::vector<std::string>(3, kPickerTitle));
}

TEST_F(Win32WindowTest, TheLogIsCutInUtf16UnitsAndAlwaysAppendsAtTheEnd) {
  // "板" is one UTF-16 unit but three UTF-8 bytes: the bound counts units.
  const std::string first = std::string("板") + std::string(9997, 'a');  // 9,998 units
  SetWindowTextW(Control("txtState"), L"");
  window_.AddText(first);
  EXPECT_EQ(GetWindowTextLengthW(Control("txtState")), 10000);  // exactly at the bound: whole
  SendMessageW(Control("txtState"), EM_SETSEL, 0, 1);  // the user selects the first character
  window_.AddText("z");
  EXPECT_EQ(GetWindowTextLengthW(Control("txtState")), 9000);
  const std::string log = Log();
  EXPECT_TRUE(log.ends_with("a\r\nz\r\n"));
  EXPECT_EQ(log.find("板"), std::string::npos);
}

TEST_F(Win32WindowTest, StartConvertsWithTheWindowsBoxesTicksAndLog) {
  test::TempDir dir;
  WriteBytes(dir.Path("k/Katjusha.exe"), "");
  WriteBytes(dir.Path("l/live2ch.exe"), "");
  WriteBytes(dir.Path("k/favorite.idx"), "h\\b\\1.idx\r\n");
  WriteBytes(dir.Path("k/log/h/b/1.idx"), test::Sjis(test::KatjuIndex("h", "b", "1")));
  WriteBytes(dir.Path("k/favboard.idx"), "x\r\n");
  SetWindowTextW(Control("txtKatju"), Widen(dir.Path("k")).c_str());
  SetWindowTextW(Control("txtLive"), Widen(dir.Path("l")).c_str());
  Click("chkBrd");  // untick the board buttons

  Click("cmdStart");
  EXPECT_EQ(Text(Control("txtKatju")), dir.Path("k/"));
  EXPECT_EQ(Text(Control("txtLive")), dir.Path("l/"));
  EXPECT_FALSE(IsWindowEnabled(Control("cmdStart")));
  EXPECT_EQ(dialogs_.messages, std::vector<std::string>{"すべて変換終了"});
  const std::string log = Log();
  EXPECT_EQ(log.rfind("各変換作業を開始します\r\nお気に入りを変換します\r\n", 0), 0u) << log;
  EXPECT_EQ(log.find("板ボタン"), std::string::npos);
  EXPECT_TRUE(log.ends_with("\r\nすべて変換完了\r\n")) << log;
  EXPECT_EQ(ReadBytes(dir.Path("l/favorite.ftd")), "http://h/test/read.cgi/b/1/\r\n");
  EXPECT_EQ(ReadBytes(dir.Path("l/log/h/b/1.idx")), test::Sjis(test::LiveIndex("h", "b", "1")));
  EXPECT_EQ(ReadBytes(dir.Path("l/favboard.fbd")), "<missing>");
}

}  // namespace
}  // namespace mirelda
