// MessageBoxW and the shell's folder picker.
#include "app/win32/dialogs.h"

#include <shlobj.h>

#include "app/window/window_texts.h"
#include "util/win32/wide.h"

namespace mirelda::win32 {
namespace {

// Shows the shell's folder picker over `owner` (file-system folders only, no root, no initial
// selection) and returns the whole path buffer. "C:\k" => "C:\k\0\0...".
std::string BrowseForFolder(HWND owner, const std::string& title) {
  const std::wstring wide_title = Widen(title);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = wide_title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  // Room for the longest path Windows knows, so that a folder deep in a long tree comes back
  // whole; SHGetPathFromIDListW would stop at MAX_PATH.
  std::wstring buffer(32768, L'\0');
  if (item != nullptr) {
    SHGetPathFromIDListEx(item, buffer.data(), static_cast<DWORD>(buffer.size()), GPFIDL_DEFAULT);
  }
  CoTaskMemFree(item);
  return Narrow(buffer);
}

}  // namespace

void SystemDialogs::ShowMessage(HWND owner, const std::string& text) {
  MessageBoxW(owner, Widen(text).c_str(), Widen(kAppTitle).c_str(), MB_OK);
}

bool SystemDialogs::Confirm(HWND owner, const std::string& text) {
  // Cancel is the default: Return alone must not undo anything.
  return MessageBoxW(owner, Widen(text).c_str(), Widen(kAppTitle).c_str(),
                     MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2) == IDOK;
}

std::string SystemDialogs::ChooseFolder(HWND owner, const std::string& title) {
  return FolderFromBuffer(BrowseForFolder(owner, title));
}

std::string FolderFromBuffer(std::string_view buffer) {
  const size_t first = buffer.find_first_not_of(' ');
  if (first == std::string_view::npos) return {};
  buffer = buffer.substr(first, buffer.find_last_not_of(' ') - first + 1);
  if (buffer.find('\0') == std::string_view::npos) return std::string(buffer);
  const size_t start = buffer.find_first_not_of(std::string_view("\0\r\n", 3));
  if (start == std::string_view::npos) return {};
  buffer = buffer.substr(start);
  return std::string(buffer.substr(0, buffer.find('\0')));
}

}  // namespace mirelda::win32
