// The file system on Win32: wide-character calls on paths converted from UTF-8, unshared
// read-only opens, and replacing writes through a temporary file in the same folder.
#include "util/file_system.h"

#include <windows.h>

#include "util/path.h"
#include "util/win32/wide.h"

namespace mirelda {
namespace {

constexpr std::int64_t kMaxReadableSize = std::int64_t{1} << 31;

// Win32 errors as the portable conditions the engine compares against.
std::error_code ToErrorCode(DWORD error) {
  switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_NAME:
    case ERROR_DIRECTORY:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
    case ERROR_INVALID_DRIVE:
      return std::make_error_code(std::errc::no_such_file_or_directory);
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return std::make_error_code(std::errc::file_exists);
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT:
      return std::make_error_code(std::errc::permission_denied);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return std::make_error_code(std::errc::device_or_resource_busy);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return std::make_error_code(std::errc::no_space_on_device);
    default:
      return {static_cast<int>(error), std::system_category()};
  }
}

std::error_code LastError() { return ToErrorCode(GetLastError()); }

bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

// Closes a handle when it goes out of scope.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() {
    if (valid()) CloseHandle(handle_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Share mode 0: a file that another program holds open, whatever it allows, cannot be opened,
// and while it is open here no one else can open it.
HANDLE OpenUnshared(const std::string& path) {
  if (HasNul(path)) return INVALID_HANDLE_VALUE;
  return CreateFileW(Widen(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

bool IsDiskFile(HANDLE handle) { return GetFileType(handle) == FILE_TYPE_DISK; }

DWORD Attributes(const std::string& path) {
  return HasNul(path) ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(Widen(path).c_str());
}

bool IsFolderAttributes(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::error_code WriteAll(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), chunk, &written, nullptr)) return LastError();
    bytes.remove_prefix(written);
  }
  return {};
}

// The path of an existing file as the folder spells its name, so that replacing LOG\1.IDX
// through the name log\1.idx keeps the name 1.IDX, as on POSIX.
std::wstring ExistingName(const std::string& path, const std::wstring& wide) {
  WIN32_FIND_DATAW found;
  const HANDLE search = FindFirstFileW(wide.c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return wide;
  FindClose(search);
  return Widen(GetFolderPart(path)) + found.cFileName;
}

class Win32FileSystem final : public FileSystem {
 public:
  std::error_code ReadWhole(const std::string& path, std::string& bytes) override {
    bytes.clear();
    const Handle file(OpenUnshared(path));
    if (!file.valid()) return HasNul(path) ? std::make_error_code(std::errc::invalid_argument)
                                           : LastError();
    LARGE_INTEGER size;
    if (!IsDiskFile(file.get())) return std::make_error_code(std::errc::invalid_argument);
    if (!GetFileSizeEx(file.get(), &size)) return LastError();
    if (size.QuadPart >= kMaxReadableSize) return std::make_error_code(std::errc::file_too_large);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    size_t done = 0;
    while (done < bytes.size()) {
      DWORD got = 0;
      if (!ReadFile(file.get(), bytes.data() + done, static_cast<DWORD>(bytes.size() - done), &got,
                    nullptr)) {
        return LastError();
      }
      // A file that shrank meanwhile gives what it still holds.
      if (got == 0) break;
      done += got;
    }
    bytes.resize(done);
    return {};
  }

  bool CanOpenForReading(const std::string& path) override {
    const Handle file(OpenUnshared(path));
    return file.valid() && IsDiskFile(file.get());
  }

  bool IsFolder(const std::string& path) override { return IsFolderAttributes(Attributes(path)); }

  std::error_code MakeFolder(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    if (!CreateDirectoryW(Widen(path).c_str(), nullptr)) return LastError();
    return {};
  }

  std::error_code ListFolder(const std::string& path, FolderEntries& entries) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    std::string pattern = path;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(Widen(pattern).c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      // An empty drive root has no "." entry, so nothing at all matches in it.
      if (error == ERROR_FILE_NOT_FOUND && IsFolder(path)) return {};
      return ToErrorCode(error);
    }
    do {
      const std::wstring_view name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
        entries.files.push_back(Narrow(name));
      } else if ((found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
        // Junctions and links to folders are left out, so a search never loops through one.
        entries.folders.push_back(Narrow(name));
      }
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    return error == ERROR_NO_MORE_FILES ? std::error_code{} : ToErrorCode(error);
  }

  std::error_code ReplaceWhole(const std::string& path, std::string_view bytes) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    const std::wstring target = Widen(path);
    const DWORD old_attributes = GetFileAttributesW(target.c_str());
    if (old_attributes != INVALID_FILE_ATTRIBUTES) {
      if (old_attributes & FILE_ATTRIBUTE_DIRECTORY) {
        return std::make_error_code(std::errc::is_a_directory);
      }
      if (old_attributes & FILE_ATTRIBUTE_READONLY) {
        return std::make_error_code(std::errc::permission_denied);
      }
    }
    std::wstring folder = Widen(GetFolderPart(path));
    if (folder.empty()) folder = L".";
    wchar_t temp[MAX_PATH];
    // Creates the temporary file, so its name stays ours until it is moved or deleted.
    if (!GetTempFileNameW(folder.c_str(), L"mir", 0, temp)) return LastError();
    std::error_code status;
    {
      const Handle file(CreateFileW(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
      status = file.valid() ? WriteAll(file.get(), bytes) : LastError();
    }
    // A replaced file keeps its hidden, system and archive marks.
    if (!status && old_attributes != INVALID_FILE_ATTRIBUTES) {
      SetFileAttributesW(temp, old_attributes);
    }
    if (!status &&
        !MoveFileExW(temp, ExistingName(path, target).c_str(), MOVEFILE_REPLACE_EXISTING)) {
      status = LastError();
    }
    if (status) DeleteFileW(temp);
    return status;
  }

  bool IsSameFolder(const std::string& a, const std::string& b) override {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return IdentifyFolder(a, ia) && IdentifyFolder(b, ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
  }

 private:
  static bool IdentifyFolder(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    if (HasNul(path)) return false;
    // Backup semantics are what lets CreateFileW open a folder; nothing is read or changed.
    const Handle folder(CreateFileW(Widen(path).c_str(), 0,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return folder.valid() && GetFileInformationByHandle(folder.get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }
};

}  // namespace

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace mirelda
