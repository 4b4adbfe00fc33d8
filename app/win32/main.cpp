// mirelda: the Windows window.
// windows.h must come before the headers that extend it.
// clang-format off
#include <windows.h>
#include <objbase.h>
// clang-format on

#include "app/win32/dialogs.h"
#include "app/win32/main_window.h"
#include "app/win32/resource.h"
#include "app/win32/settings_store.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  // The folder picker is a shell object and needs a single-threaded apartment.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);

  const auto icon = static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(IDI_MIRELDA), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
  mirelda::win32::SystemDialogs dialogs;
  const auto codec = mirelda::Cp932Codec::Open();
  const auto fs = mirelda::MakeNativeFileSystem();
  mirelda::win32::IniSettingsStore settings;
  mirelda::win32::MainWindow frmMain(dialogs, *fs, *codec, settings);
  if (!frmMain.Create(instance, icon)) return 1;
  frmMain.Open();
  frmMain.Show(show_command);
  const int status = mirelda::win32::RunMessageLoop(frmMain);
  CoUninitialize();
  return status;
}
