// The running programs on Windows: each process's image path, as the system reports it.
// windows.h must come before the headers that extend it.
// clang-format off
#include <windows.h>
#include <psapi.h>
// clang-format on

#include <memory>
#include <vector>

#include "util/path.h"
#include "util/places.h"
#include "util/win32/wide.h"

namespace mirelda {
namespace {

std::wstring FullPath(const std::wstring& path) {
  std::wstring full(32768, L'\0');
  const DWORD size =
      GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (size == 0 || size >= full.size()) return path;
  full.resize(size);
  // The long names, so that "C:\PROGRA~1\..." and "C:\Program Files\..." are one program.
  std::wstring long_path(32768, L'\0');
  const DWORD long_size =
      GetLongPathNameW(full.c_str(), long_path.data(), static_cast<DWORD>(long_path.size()));
  if (long_size == 0 || long_size >= long_path.size()) return full;
  long_path.resize(long_size);
  return long_path;
}

std::wstring ImageOf(DWORD pid) {
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return L"";
  std::wstring image(32768, L'\0');
  DWORD size = static_cast<DWORD>(image.size());
  if (!QueryFullProcessImageNameW(process, 0, image.data(), &size)) size = 0;
  CloseHandle(process);
  image.resize(size);
  return image;
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

bool IsProgramRunning(const std::string& program) {
  const std::wstring wanted = FullPath(Widen(program));
  std::vector<DWORD> pids(1024);
  DWORD bytes = 0;
  // The list is grown until it holds every process.
  while (EnumProcesses(pids.data(), static_cast<DWORD>(pids.size() * sizeof(DWORD)), &bytes) &&
         bytes == pids.size() * sizeof(DWORD)) {
    pids.resize(pids.size() * 2);
  }
  pids.resize(bytes / sizeof(DWORD));
  const DWORD own = GetCurrentProcessId();
  for (const DWORD pid : pids) {
    if (pid == own || pid == 0) continue;
    if (const std::wstring image = ImageOf(pid);
        !image.empty() && SamePath(FullPath(image), wanted)) {
      return true;
    }
  }
  return false;
}

}  // namespace mirelda
