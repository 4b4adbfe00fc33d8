// Where programs usually are on Windows: the fixed drives, Program Files, the user's folders,
// and the VirtualStore that keeps what old programs under Program Files write.
// windows.h must come before the headers that extend it.
// clang-format off
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

#include "util/places.h"

#include "util/win32/wide.h"

namespace mirelda {
namespace {

std::string Environment(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return Narrow(value);
}

std::string KnownFolder(const KNOWNFOLDERID& id) {
  PWSTR path = nullptr;
  std::string folder;
  if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DEFAULT, nullptr, &path))) folder = Narrow(path);
  CoTaskMemFree(path);
  return folder;
}

// "C:\Program Files" => "C:\Program Files" as %LOCALAPPDATA%\VirtualStore keeps it: the path
// without its drive.
std::string VirtualStoreOf(const std::string& folder) {
  const std::string local = Environment(L"LOCALAPPDATA");
  if (local.empty() || folder.size() < 3 || folder[1] != ':') return "";
  return local + "\\VirtualStore" + folder.substr(2);
}

}  // namespace

std::string HomeFolder() { return ""; }

std::vector<std::string> UsualPlaces() {
  std::vector<std::string> places;
  wchar_t drives[512];
  const DWORD size = GetLogicalDriveStringsW(static_cast<DWORD>(std::size(drives)), drives);
  for (const wchar_t* drive = drives; size > 0 && size < std::size(drives) && *drive;
       drive += wcslen(drive) + 1) {
    if (GetDriveTypeW(drive) == DRIVE_FIXED) places.push_back(Narrow(drive));
  }
  const std::string program_files[] = {Environment(L"ProgramFiles"),
                                       Environment(L"ProgramFiles(x86)")};
  for (const std::string& folder : program_files) {
    if (!folder.empty()) places.push_back(folder);
  }
  for (const KNOWNFOLDERID* id : {&FOLDERID_Desktop, &FOLDERID_Documents, &FOLDERID_Downloads}) {
    if (std::string folder = KnownFolder(*id); !folder.empty()) places.push_back(folder);
  }
  for (const std::string& folder : program_files) {
    if (std::string store = VirtualStoreOf(folder); !store.empty()) places.push_back(store);
  }
  return places;
}

}  // namespace mirelda
