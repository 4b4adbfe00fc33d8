// The files a run holds open, and reading in pieces, on Win32.
#include "util/held_file.h"

#include <windows.h>

#include <algorithm>
#include <cstdint>

#include "util/win32/errors.h"
#include "util/win32/wide.h"

namespace mirelda {
namespace {

constexpr DWORD kPieceSize = 1 << 20;

// A lock that another process holds is the one failure the callers act on: the run is refused
// rather than failed.
std::error_code LastError() {
  const DWORD error = GetLastError();
  if (error == ERROR_LOCK_VIOLATION || error == ERROR_SHARING_VIOLATION) {
    return std::make_error_code(std::errc::resource_unavailable_try_again);
  }
  return ErrorCodeOf(error);
}

class Win32HeldFile final : public HeldFile {
 public:
  explicit Win32HeldFile(HANDLE file) : file_(file) {}
  Win32HeldFile(const Win32HeldFile&) = delete;
  Win32HeldFile& operator=(const Win32HeldFile&) = delete;
  ~Win32HeldFile() override { CloseHandle(file_); }

  std::error_code Append(std::string_view bytes) override {
    while (!bytes.empty()) {
      DWORD put = 0;
      const DWORD size = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1u << 30));
      if (!WriteFile(file_, bytes.data(), size, &put, nullptr)) return LastError();
      bytes.remove_prefix(put);
    }
    return {};
  }

  std::error_code Sync() override {
    return FlushFileBuffers(file_) ? std::error_code{} : LastError();
  }

 private:
  const HANDLE file_;
};

}  // namespace

std::unique_ptr<HeldFile> LockFile(const std::string& path, bool create, std::error_code& error) {
  error.clear();
  const HANDLE file =
      CreateFileW(WidenPath(path).c_str(), GENERIC_READ | (create ? GENERIC_WRITE : 0),
                  FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, create ? OPEN_ALWAYS : OPEN_EXISTING,
                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = LastError();
    return nullptr;
  }
  OVERLAPPED whole{};
  if (!LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                  &whole)) {
    error = LastError();
    CloseHandle(file);
    return nullptr;
  }
  return std::make_unique<Win32HeldFile>(file);
}

std::unique_ptr<HeldFile> StartAppending(const std::string& path, std::error_code& error) {
  error.clear();
  const HANDLE file = CreateFileW(WidenPath(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ,
                                  nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    error = LastError();
    return nullptr;
  }
  return std::make_unique<Win32HeldFile>(file);
}

std::error_code ReadPieces(const std::string& path, std::uint64_t from,
                           const std::function<bool(std::string_view)>& take, std::uint64_t* size) {
  // Unshared, as every other read: a file being written by another program is not read.
  const HANDLE file = CreateFileW(WidenPath(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return LastError();
  std::error_code error;
  LARGE_INTEGER whole{};
  if (GetFileSizeEx(file, &whole) && size != nullptr)
    *size = static_cast<std::uint64_t>(whole.QuadPart);
  LARGE_INTEGER at{};
  at.QuadPart = static_cast<LONGLONG>(std::min<std::uint64_t>(from, INT64_MAX));
  if (!SetFilePointerEx(file, at, nullptr, FILE_BEGIN)) error = LastError();
  std::string piece(kPieceSize, '\0');
  while (!error) {
    DWORD got = 0;
    if (!ReadFile(file, piece.data(), kPieceSize, &got, nullptr)) error = LastError();
    if (error || got == 0 || !take(std::string_view(piece.data(), got))) break;
  }
  CloseHandle(file);
  return error;
}

}  // namespace mirelda
