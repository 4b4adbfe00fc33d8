// The file system on Win32: wide-character calls on paths converted from UTF-8, of any length,
// unshared read-only opens, and flushed replacing writes through a temporary file in the same
// folder that keep out of a protected folder.
#include "util/file_system.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <unordered_map>

#include "util/path.h"
#include "util/win32/errors.h"
#include "util/win32/wide.h"

namespace mirelda {
namespace {

std::error_code LastError() { return ErrorCodeOf(GetLastError()); }

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
  return CreateFileW(WidenPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                     FILE_ATTRIBUTE_NORMAL, nullptr);
}

// Backup semantics are what lets CreateFileW open a folder; nothing is read or changed.
HANDLE OpenFolder(const std::string& path) {
  if (HasNul(path)) return INVALID_HANDLE_VALUE;
  return CreateFileW(WidenPath(path).c_str(), 0,
                     FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                     FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

// The path of a file's folder up to and including its last separator, where Windows takes "/"
// for one too; ".\" when it has none. A final separator is no part of the name.
std::string FolderOf(std::string_view path) {
  while (path.size() > 1 && IsSeparator(path.back())) path.remove_suffix(1);
  const auto last = path.find_last_of(kSeparators);
  return last == std::string_view::npos ? ".\\" : std::string(path.substr(0, last + 1));
}

// The folder's real location, through any junction or link, as the system spells it.
std::error_code FinalPath(const std::string& folder, std::wstring& final_path) {
  const Handle handle(OpenFolder(folder));
  if (!handle.valid()) return LastError();
  final_path.resize(GetFinalPathNameByHandleW(handle.get(), nullptr, 0, FILE_NAME_NORMALIZED));
  const DWORD size = GetFinalPathNameByHandleW(
      handle.get(), final_path.data(), static_cast<DWORD>(final_path.size()), FILE_NAME_NORMALIZED);
  if (size == 0 || size >= final_path.size()) return LastError();
  final_path.resize(size);
  return {};
}

// Whether the real location `path` is `folder` or lies below it.
bool LiesIn(const std::wstring& path, const std::wstring& folder) {
  if (!path.starts_with(folder)) return false;
  return path.size() == folder.size() || folder.back() == L'\\' || path[folder.size()] == L'\\';
}

// Whether a process with that id is still running.
bool IsRunning(std::uint32_t pid) {
  const HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, pid);
  if (process == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

// Removes from a folder (ending in a separator) the temporaries of writers that are no longer
// running.
void RemoveStaleTemporaries(const std::string& folder) {
  WIN32_FIND_DATAW found;
  const HANDLE search =
      FindFirstFileW(WidenPath(folder + std::string(kTemporaryPrefix) + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  do {
    const std::string name = Narrow(found.cFileName);
    const std::uint32_t owner = TemporaryOwner(name);
    if (owner != 0 && !IsRunning(owner)) DeleteFileW(WidenPath(folder + name).c_str());
  } while (FindNextFileW(search, &found));
  FindClose(search);
}

bool IsDiskFile(HANDLE handle) { return GetFileType(handle) == FILE_TYPE_DISK; }

DWORD Attributes(const std::string& path) {
  return HasNul(path) ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(WidenPath(path).c_str());
}

bool IsFolderAttributes(DWORD attributes) {
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// Why the file with these attributes cannot be replaced; nothing for INVALID_FILE_ATTRIBUTES,
// a file that is still to be made.
std::error_code RefusedTarget(DWORD attributes) {
  if (attributes == INVALID_FILE_ATTRIBUTES) return {};
  if (attributes & FILE_ATTRIBUTE_DIRECTORY) return std::make_error_code(std::errc::is_a_directory);
  if (attributes & FILE_ATTRIBUTE_READONLY)
    return std::make_error_code(std::errc::permission_denied);
  return {};
}

// A folder's path (ending in a separator) as the name of the folder itself, which is how a
// file in its place is found; a root ("C:\", "\") keeps its separator.
std::string FolderName(const std::string& folder) {
  std::string_view name = folder;
  while (name.size() > 1 && IsSeparator(name.back())) name.remove_suffix(1);
  return name.empty() || IsSeparator(name.back()) || name.back() == ':' ? folder
                                                                        : std::string(name);
}

// Whether the user's rights keep `access` (FILE_ADD_FILE, FILE_ADD_SUBDIRECTORY, DELETE) out of
// an existing folder or file. Opening it for that access checks its rights and changes nothing;
// a failure other than a refusal (another program holding it) says nothing about them, and is
// left to the write itself.
std::error_code RefusedAccess(const std::string& folder, DWORD access) {
  const Handle handle(CreateFileW(WidenPath(folder).c_str(), access,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
  if (handle.valid()) return {};
  const DWORD error = GetLastError();
  return error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT ? ErrorCodeOf(error)
                                                                      : std::error_code{};
}

// Hard links cannot be made there: the file system has none (FAT, some network shares), the
// two names lie on different volumes, the file has too many names already, or FAT says so
// through a refusal.
bool CannotLink(DWORD error) {
  return error == ERROR_NOT_SUPPORTED || error == ERROR_INVALID_FUNCTION ||
         error == ERROR_NOT_SAME_DEVICE || error == ERROR_TOO_MANY_LINKS ||
         error == ERROR_ACCESS_DENIED;
}

// Copies `from` to a new file `to` and puts the copy on disk; a copy that cannot be flushed is
// removed again.
std::error_code CopyToDisk(const std::wstring& from, const std::wstring& to) {
  if (!CopyFileW(from.c_str(), to.c_str(), TRUE)) return LastError();
  // The copy takes the original's marks, and a read-only file cannot be opened for the write
  // access that flushing takes: the mark is lifted while it is flushed.
  const DWORD attributes = GetFileAttributesW(to.c_str());
  const bool read_only =
      attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
  if (read_only) SetFileAttributesW(to.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY);
  std::error_code error;
  {
    const Handle copy(CreateFileW(to.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!copy.valid() || !FlushFileBuffers(copy.get())) error = LastError();
  }
  if (error) {
    DeleteFileW(to.c_str());
  } else if (read_only) {
    SetFileAttributesW(to.c_str(), attributes);
  }
  return error;
}

// Characters that FindFirstFileExW takes as wildcards; no stored name holds one.
bool HasWildcard(std::string_view name) { return name.find_first_of("*?<>\"") != name.npos; }

// How many characters of the path name its root, kept as given: "C:\", "C:", "\",
// "\\server\share\"; 0 for a relative path.
size_t RootLength(std::string_view path) {
  if (path.size() >= 2 && path[1] == ':') return path.size() > 2 && IsSeparator(path[2]) ? 3 : 2;
  if (path.size() >= 2 && IsSeparator(path[0]) && IsSeparator(path[1])) {
    const size_t server_end = path.find_first_of(kSeparators, 2);
    if (server_end == path.npos) return path.size();
    const size_t share_end = path.find_first_of(kSeparators, server_end + 1);
    return share_end == path.npos ? path.size() : share_end + 1;
  }
  return !path.empty() && IsSeparator(path[0]) ? 1 : 0;
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
  return WidenPath(FolderOf(path) + Narrow(found.cFileName));
}

// A temporary named for this process beside the file it replaces (or that it makes), flushed to
// the disk and moved over the target when committed.
class Win32Writer final : public FileWriter {
 public:
  // `old_attributes` are those of the file replaced, INVALID_FILE_ATTRIBUTES for a new file.
  Win32Writer(HANDLE file, std::wstring temp, std::wstring target, DWORD old_attributes)
      : file_(file),
        temp_(std::move(temp)),
        target_(std::move(target)),
        old_attributes_(old_attributes) {}
  Win32Writer(const Win32Writer&) = delete;
  Win32Writer& operator=(const Win32Writer&) = delete;
  ~Win32Writer() override {
    if (file_ != INVALID_HANDLE_VALUE) CloseHandle(file_);
    if (!temp_.empty()) DeleteFileW(temp_.c_str());
  }

 private:
  std::error_code Write(std::string_view bytes) override { return WriteAll(file_, bytes); }

  std::error_code Finish() override {
    const bool flushed = FlushFileBuffers(file_);
    const std::error_code status = flushed ? std::error_code{} : LastError();
    CloseHandle(file_);
    file_ = INVALID_HANDLE_VALUE;
    if (status) return status;
    const bool existed = old_attributes_ != INVALID_FILE_ATTRIBUTES;
    // A replaced file keeps its hidden, system and archive marks.
    if (existed) SetFileAttributesW(temp_.c_str(), old_attributes_);
    // Through to the disk before the call returns; a new file is not written over one that
    // appeared meanwhile.
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (existed ? MOVEFILE_REPLACE_EXISTING : 0);
    if (!MoveFileExW(temp_.c_str(), target_.c_str(), flags)) return LastError();
    temp_.clear();
    return {};
  }

  HANDLE file_;
  std::wstring temp_;  // still to be removed while not empty
  const std::wstring target_;
  const DWORD old_attributes_;
};

class Win32FileSystem final : public FileSystem {
 public:
  std::error_code ReadWholeUpTo(const std::string& path, std::int64_t most,
                                std::string& bytes) override {
    bytes.clear();
    const Handle file(OpenUnshared(path));
    // No file can have a name that holds a NUL.
    if (!file.valid())
      return HasNul(path) ? std::make_error_code(std::errc::no_such_file_or_directory)
                          : LastError();
    LARGE_INTEGER size;
    if (!IsDiskFile(file.get())) return std::make_error_code(std::errc::invalid_argument);
    if (!GetFileSizeEx(file.get(), &size)) return LastError();
    if (size.QuadPart > most) return std::make_error_code(std::errc::file_too_large);
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
    if (const std::error_code error = PrepareFolder(FolderOf(path))) return error;
    if (!CreateDirectoryW(WidenPath(path).c_str(), nullptr)) return LastError();
    const std::lock_guard lock(mutex_);
    // A new folder is empty and lies where its parent lies.
    written_folders_.emplace(IsSeparator(path.back()) ? path : path + kSep, false);
    return {};
  }

  std::error_code ListFolder(const std::string& path, FolderEntries& entries) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    std::string pattern = path;
    if (!pattern.empty() && pattern.back() != '\\' && pattern.back() != '/') pattern += '\\';
    pattern += '*';
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileExW(WidenPath(pattern).c_str(), FindExInfoBasic, &found,
                                     FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
      const DWORD error = GetLastError();
      // An empty drive root has no "." entry, so nothing at all matches in it.
      if (error == ERROR_FILE_NOT_FOUND && IsFolder(path)) return {};
      return ErrorCodeOf(error);
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
    return error == ERROR_NO_MORE_FILES ? std::error_code{} : ErrorCodeOf(error);
  }

  std::unique_ptr<FileWriter> StartReplacing(const std::string& path,
                                             std::error_code& error) override {
    error.clear();
    if (HasNul(path)) {
      error = std::make_error_code(std::errc::invalid_argument);
      return nullptr;
    }
    const std::string folder = FolderOf(path);
    if ((error = PrepareFolder(folder))) return nullptr;
    const std::wstring target = WidenPath(path);
    const DWORD old_attributes = GetFileAttributesW(target.c_str());
    const bool existed = old_attributes != INVALID_FILE_ATTRIBUTES;
    if ((error = RefusedTarget(old_attributes))) return nullptr;
    std::wstring temp;
    const HANDLE file = CreateTemporary(folder, temp);
    if (file == INVALID_HANDLE_VALUE) {
      error = LastError();
      return nullptr;
    }
    return std::make_unique<Win32Writer>(
        file, std::move(temp), existed ? ExistingName(path, target) : target, old_attributes);
  }

  void BeginRun(const std::string& folder) override {
    std::wstring real;
    // A folder that is gone has nothing left in it to protect.
    if (FinalPath(folder, real)) real.clear();
    const std::lock_guard lock(mutex_);
    protected_ = std::move(real);
    written_folders_.clear();
  }

  // Every file is flushed as it is written: flushing a whole volume takes an administrator.
  std::error_code SyncWritten() override { return {}; }

  bool IsSameFolder(const std::string& a, const std::string& b) override {
    BY_HANDLE_FILE_INFORMATION ia, ib;
    return IdentifyFolder(a, ia) && IdentifyFolder(b, ib) &&
           ia.dwVolumeSerialNumber == ib.dwVolumeSerialNumber &&
           ia.nFileIndexHigh == ib.nFileIndexHigh && ia.nFileIndexLow == ib.nFileIndexLow;
  }

  std::error_code CheckReplaceable(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    const DWORD attributes = Attributes(path);
    if (attributes != INVALID_FILE_ATTRIBUTES) {
      if (const std::error_code error = CheckFolder(FolderOf(path))) return error;
      if (const std::error_code error = RefusedTarget(attributes)) return error;
      // The temporary is made in the folder, and then takes the place of the file, which
      // takes the right to delete it.
      if (const std::error_code error = RefusedAccess(FolderOf(path), FILE_ADD_FILE)) return error;
      return RefusedAccess(path, DELETE);
    }
    // A name no file can have fails as the write would.
    if (const DWORD error = GetLastError();
        error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND)
      return ErrorCodeOf(error);
    // Up to the nearest folder that exists, which the missing ones would be made in.
    bool made = false;
    for (std::string folder = FolderOf(path);;) {
      const std::string name = FolderName(folder);
      const DWORD found = Attributes(name);
      if (found != INVALID_FILE_ATTRIBUTES) {
        if (!IsFolderAttributes(found)) return std::make_error_code(std::errc::not_a_directory);
        if (const std::error_code error = CheckFolder(folder)) return error;
        return RefusedAccess(folder, made ? FILE_ADD_SUBDIRECTORY : FILE_ADD_FILE);
      }
      const DWORD error = GetLastError();
      if (error != ERROR_FILE_NOT_FOUND && error != ERROR_PATH_NOT_FOUND) return ErrorCodeOf(error);
      // A root has nothing above it; a relative path begins in the current folder.
      const size_t last = name == folder ? std::string::npos : name.find_last_of(kSeparators);
      if (last != std::string::npos) {
        folder = name.substr(0, last + 1);
      } else if (name != folder && name != "." && name.find(':') == std::string::npos) {
        folder = ".\\";
      } else {
        return ErrorCodeOf(error);
      }
      made = true;
    }
  }

  std::string FoundPath(const std::string& path) override {
    if (HasNul(path)) return path;
    const size_t root = RootLength(path);
    std::string found = path.substr(0, root);
    // Each name is looked up in the folder found so far, until one is missing.
    bool exists = true;
    for (size_t start = root; start < path.size();) {
      const size_t end = std::min(path.find_first_of(kSeparators, start), path.size());
      std::string name = path.substr(start, end - start);
      if (exists && !name.empty() && name != "." && name != ".." && !HasWildcard(name)) {
        WIN32_FIND_DATAW data;
        const HANDLE search = FindFirstFileExW(WidenPath(found + name).c_str(), FindExInfoBasic,
                                               &data, FindExSearchNameMatch, nullptr, 0);
        exists = search != INVALID_HANDLE_VALUE;
        if (exists) {
          FindClose(search);
          name = Narrow(data.cFileName);
        }
      }
      found += name;
      if (end < path.size()) found += path[end];
      start = end + 1;
    }
    return found;
  }

  std::error_code KeepCopy(const std::string& from, const std::string& to) override {
    if (HasNul(from) || HasNul(to)) return std::make_error_code(std::errc::invalid_argument);
    if (const std::error_code error = PrepareFolder(FolderOf(to))) return error;
    const std::wstring wide_from = WidenPath(from), wide_to = WidenPath(to);
    if (CreateHardLinkW(wide_to.c_str(), wide_from.c_str(), nullptr)) return {};
    const DWORD error = GetLastError();
    return CannotLink(error) ? CopyToDisk(wide_from, wide_to) : ErrorCodeOf(error);
  }

  std::error_code RemoveFile(const std::string& path) override {
    if (HasNul(path)) return std::make_error_code(std::errc::invalid_argument);
    // A removal changes the folder as a write does, and keeps out of the protected one too.
    if (const std::error_code error = CheckFolder(FolderOf(path))) return error;
    if (DeleteFileW(WidenPath(path).c_str())) return {};
    const DWORD error = GetLastError();
    // Windows refuses a folder as it refuses a read-only file.
    return error == ERROR_ACCESS_DENIED && IsFolder(path)
               ? std::make_error_code(std::errc::is_a_directory)
               : ErrorCodeOf(error);
  }

  std::error_code RemoveFolder(const std::string& path) override {
    if (HasNul(path) || path.empty()) return std::make_error_code(std::errc::invalid_argument);
    // The folder itself may be the protected one.
    if (const std::error_code error = CheckFolder(IsSeparator(path.back()) ? path : path + kSep))
      return error;
    if (RemoveDirectoryW(WidenPath(path).c_str())) return {};
    const DWORD error = GetLastError();
    // ERROR_DIRECTORY: the name is a file's.
    return error == ERROR_DIRECTORY ? std::make_error_code(std::errc::not_a_directory)
                                    : ErrorCodeOf(error);
  }

 private:
  static bool IdentifyFolder(const std::string& path, BY_HANDLE_FILE_INFORMATION& info) {
    const Handle folder(OpenFolder(path));
    return folder.valid() && GetFileInformationByHandle(folder.get(), &info) &&
           (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
  }

  // Creates a new temporary named for this process in `folder`; `temp` receives its path.
  HANDLE CreateTemporary(const std::string& folder, std::wstring& temp) {
    HANDLE created;
    do {
      temp = WidenPath(folder + TemporaryName(GetCurrentProcessId(), ++serial_));
      created = CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
    } while (created == INVALID_HANDLE_VALUE && GetLastError() == ERROR_FILE_EXISTS);
    return created;
  }

  // Refuses a folder (ending in a separator) that lies in the protected one. The first write
  // into a folder also removes its stale temporaries.
  std::error_code PrepareFolder(const std::string& folder) {
    const std::lock_guard lock(mutex_);
    auto known = written_folders_.find(folder);
    if (known == written_folders_.end()) {
      bool in_protected = false;
      if (const std::error_code error = FindProtected(folder, in_protected)) return error;
      if (!in_protected) RemoveStaleTemporaries(folder);
      known = written_folders_.emplace(folder, in_protected).first;
    }
    return Refusal(known->second);
  }

  // What PrepareFolder would refuse the folder with, found without removing anything: a folder
  // not yet written into is not recorded as written.
  std::error_code CheckFolder(const std::string& folder) {
    const std::lock_guard lock(mutex_);
    const auto known = written_folders_.find(folder);
    bool in_protected = known != written_folders_.end() && known->second;
    if (known == written_folders_.end()) {
      if (const std::error_code error = FindProtected(folder, in_protected)) return error;
    }
    return Refusal(in_protected);
  }

  // Whether an existing folder lies in the protected one; mutex_ is held.
  std::error_code FindProtected(const std::string& folder, bool& in_protected) {
    in_protected = false;
    if (protected_.empty()) return {};
    std::wstring real;
    if (const std::error_code error = FinalPath(folder, real)) return error;
    in_protected = LiesIn(real, protected_);
    return {};
  }

  static std::error_code Refusal(bool in_protected) {
    return in_protected ? std::make_error_code(std::errc::permission_denied) : std::error_code{};
  }

  std::atomic<unsigned> serial_ = 0;
  std::mutex mutex_;        // guards what follows, which every thread shares
  std::wstring protected_;  // the real location no write may land in; empty for none
  std::unordered_map<std::string, bool> written_folders_;  // folder written into => in protected_
};

}  // namespace

std::error_code ErrorCodeOf(unsigned long error) {
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
    case ERROR_DIR_NOT_EMPTY:
      return std::make_error_code(std::errc::directory_not_empty);
    default:
      return {static_cast<int>(error), std::system_category()};
  }
}

std::unique_ptr<FileSystem> MakeNativeFileSystem() { return std::make_unique<Win32FileSystem>(); }

}  // namespace mirelda
