// The files a run holds open, and reading in pieces, on POSIX.
#include "util/held_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>

#include "util/posix/system.h"

namespace mirelda {
namespace {

using posix::LastError;

// How much of a file is read at a time: big enough for few calls, small enough to stay light.
constexpr size_t kPieceSize = 1 << 20;

class PosixHeldFile final : public HeldFile {
 public:
  explicit PosixHeldFile(int fd) : fd_(fd) {}
  PosixHeldFile(const PosixHeldFile&) = delete;
  PosixHeldFile& operator=(const PosixHeldFile&) = delete;
  ~PosixHeldFile() override { close(fd_); }

  std::error_code Append(std::string_view bytes) override { return posix::WriteAll(fd_, bytes); }

  std::error_code Sync() override { return fsync(fd_) == 0 ? std::error_code{} : LastError(); }

 private:
  const int fd_;
};

// Opens `path` as a regular file, never blocking on a FIFO; a link is followed only where
// `flags` allow it.
int OpenRegular(const std::string& path, int flags, std::error_code& error) {
  const int fd = open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, 0666);
  struct stat st;
  if (fd >= 0 && fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) return fd;
  error = fd < 0 ? LastError() : std::make_error_code(std::errc::invalid_argument);
  if (fd >= 0) close(fd);
  return -1;
}

}  // namespace

std::unique_ptr<HeldFile> LockFile(const std::string& path, bool create, std::error_code& error) {
  error.clear();
  const int fd = OpenRegular(path, (create ? O_RDWR | O_CREAT : O_RDONLY) | O_NOFOLLOW, error);
  if (fd < 0) return nullptr;
  if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
    // Held by another process: EWOULDBLOCK, which is EAGAIN wherever flock exists.
    error = LastError();
    close(fd);
    return nullptr;
  }
  return std::make_unique<PosixHeldFile>(fd);
}

std::unique_ptr<HeldFile> StartAppending(const std::string& path, std::error_code& error) {
  error.clear();
  const int fd = OpenRegular(path, O_WRONLY | O_CREAT | O_EXCL | O_APPEND | O_NOFOLLOW, error);
  if (fd < 0) return nullptr;
  return std::make_unique<PosixHeldFile>(fd);
}

std::error_code ReadPieces(const std::string& path, std::uint64_t from,
                           const std::function<bool(std::string_view)>& take, std::uint64_t* size) {
  std::error_code error;
  const int fd = OpenRegular(path, O_RDONLY, error);
  if (fd < 0) return error;
  struct stat st;
  if (fstat(fd, &st) == 0 && size != nullptr) *size = static_cast<std::uint64_t>(st.st_size);
  std::string piece(kPieceSize, '\0');
  off_t at = static_cast<off_t>(std::min<std::uint64_t>(from, INT64_MAX));
  for (;;) {
    const ssize_t got = pread(fd, piece.data(), piece.size(), at);
    if (got < 0) error = LastError();
    if (got <= 0 || !take(std::string_view(piece.data(), static_cast<size_t>(got)))) break;
    at += got;
  }
  close(fd);
  return error;
}

}  // namespace mirelda
