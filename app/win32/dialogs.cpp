// MessageBoxW and the shell's folder picker.
#include "app/win32/dialogs.h"

#include <shlobj.h>

#include "app/texts.h"
#include "util/win32/wide.h"

namespace mirelda::win32 {

void SystemDialogs::ShowMessage(HWND owner, const std::string& text) {
  MessageBoxW(owner, Widen(text).c_str(), Widen(kAppTitle).c_str(), MB_OK);
}

std::string SystemDialogs::ChooseFolder(HWND owner, const std::string& title) {
  return BrowseForFolder(owner, title);
}

std::string BrowseForFolder(HWND owner, const std::string& title) {
  const std::wstring wide_title = Widen(title);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = wide_title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS;
  PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&info);
  // MAX_PATH rather than 256: the shell writes up to MAX_PATH characters into the buffer.
  std::wstring buffer(MAX_PATH, L'\0');
  if (item != nullptr) SHGetPathFromIDListW(item, buffer.data());
  CoTaskMemFree(item);
  return Narrow(buffer);
}

}  // namespace mirelda::win32
