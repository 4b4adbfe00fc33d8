// Where programs usually are on Windows: the fixed drives, Program Files, the user's folders,
// and the VirtualStore that keeps what old programs under Program Files write.
// windows.h must come before the headers that extend it.
// clang-format off
#include <windows.h>
#include <knownfolders.h>
#include <shlobj.h>
// clang-format on

#include "util/places.h"

#include "util/path.h"
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

// "C:\Program Files\K" => "<LOCALAPPDATA>\VirtualStore\Program Files\K": the path without its
// drive, whether or not it exists.
std::string StoreFolderOf(const std::string& folder) {
  const std::string local = Environment(L"LOCALAPPDATA");
  if (local.empty() || folder.size() < 3 || folder[1] != ':') return "";
  return local + "\\VirtualStore" + folder.substr(2);
}

// Whether `folder` is `root` or lies below it, without regard to case.
bool IsUnder(const std::string& folder, std::string root) {
  if (root.empty()) return false;
  if (root.back() != '\\') root.push_back('\\');
  return ToLowerAscii(folder + "\\").starts_with(ToLowerAscii(root));
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
    if (std::string store = StoreFolderOf(folder); !store.empty()) places.push_back(store);
  }
  return places;
}

std::string VirtualStoreOf(const std::string& folder) {
  const bool virtualised = IsUnder(folder, Environment(L"ProgramFiles")) ||
                           IsUnder(folder, Environment(L"ProgramFiles(x86)")) ||
                           IsUnder(folder, Environment(L"windir"));
  if (!virtualised) return "";
  std::string store = StoreFolderOf(folder);
  const DWORD attributes = GetFileAttributesW(WidenPath(store).c_str());
  if (store.empty() || attributes == INVALID_FILE_ATTRIBUTES ||
      !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
    return "";
  }
  if (store.back() != '\\') store.push_back('\\');
  return store;
}

bool RunsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  const bool elevated =
      GetTokenInformation(token, TokenElevation, &elevation, sizeof elevation, &size) &&
      elevation.TokenIsElevated != 0;
  CloseHandle(token);
  return elevated;
}

}  // namespace mirelda
