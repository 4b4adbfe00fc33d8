// Reading data files without a look at each one where the folder's listing has looked already.
#include "util/posix/file_reader.h"

#include <dirent.h>
#include <fcntl.h>

#include <algorithm>
#include <vector>

#include "util/posix/system.h"

namespace mirelda::posix {
namespace {

// Nearly every data file is far smaller than this, so one read takes all of it; a full first
// piece is what makes a file worth a look.
constexpr std::int64_t kFirstPiece = 64 * 1024;

// Non-blocking, so that a FIFO or a device put in a file's place cannot hang the run, and never
// the controlling terminal.
constexpr int kReadFlags = O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK;

// The error of a file that turned out not to be a regular one.
int NotRegular(const struct stat& st) { return S_ISDIR(st.st_mode) ? EISDIR : EINVAL; }

std::error_code TooLarge() { return std::make_error_code(std::errc::file_too_large); }

// Reads at `offset` into `bytes` from its size up to `size` bytes, stopping early at the file's
// end. Positioned reads fail on a FIFO, a socket or a terminal, so that none of them is read
// even when one took a regular file's place after the listing.
std::error_code ReadAt(int fd, std::string& bytes, size_t size) {
  size_t done = bytes.size();
  bytes.resize(size);
  while (done < size) {
    const ssize_t got = pread(fd, bytes.data() + done, size - done, static_cast<off_t>(done));
    if (got < 0) {
      bytes.resize(done);
      return {errno == ESPIPE ? EINVAL : errno, std::generic_category()};
    }
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  bytes.resize(done);
  return {};
}

// Reads the first piece of the open file into `bytes`: up to `first` bytes, in one call for a
// regular file, without filling the buffer first.
std::error_code ReadFirstPiece(int fd, size_t first, std::string& bytes) {
  // On the stack: a run reads thousands of small files, and a heap block this size for each
  // costs more than the read.
  char piece[kFirstPiece];
  const ssize_t got = pread(fd, piece, std::min(first, sizeof piece), 0);
  if (got < 0) return {errno == ESPIPE ? EINVAL : errno, std::generic_category()};
  bytes.assign(piece, static_cast<size_t>(got));
  return {};
}

// Reads the whole open file `fd` into `bytes` when it holds at most `most` bytes. `looked` is its
// status if it was looked at when opened.
std::error_code ReadOpened(int fd, std::int64_t most, std::optional<struct stat> looked,
                           std::string& bytes) {
  if (looked && looked->st_size > most) return TooLarge();
  const auto first = static_cast<size_t>(std::min(most + 1, kFirstPiece));
  if (const std::error_code error = ReadFirstPiece(fd, first, bytes)) return error;
  // A short read of a regular file is its end. A file that filled the first piece, or gave
  // nothing at all, as /dev/null would in a file's place, is looked at before it is taken.
  if (bytes.size() < first && (looked || !bytes.empty())) return {};
  if (!looked) {
    struct stat st;
    if (fstat(fd, &st) != 0) return LastError();
    if (!S_ISREG(st.st_mode)) return {NotRegular(st), std::generic_category()};
    looked = st;
  }
  if (static_cast<std::int64_t>(bytes.size()) > most || looked->st_size > most) return TooLarge();
  // The rest of a large file, as far as it went when it was looked at.
  return ReadAt(fd, bytes, std::max(bytes.size(), static_cast<size_t>(looked->st_size)));
}

// Keeps the open file `fd` if it is a regular file, with its status in `looked`; otherwise closes
// it and gives -1 with errno.
int KeepIfRegular(int fd, std::optional<struct stat>& looked) {
  struct stat st;
  const int error = fstat(fd, &st) != 0 ? errno : S_ISREG(st.st_mode) ? 0 : NotRegular(st);
  if (error == 0) {
    looked = st;
    return fd;
  }
  close(fd);
  errno = error;
  return -1;
}

}  // namespace

int FileReaders::Open(const std::string& path, bool verify, std::optional<struct stat>& looked) {
  looked.reset();
  if (HasNul(path)) {
    // No file can have such a name.
    errno = ENOENT;
    return -1;
  }
  const Found found = names_.Find(path);
  if (found.missing) {
    errno = ENOENT;
    return -1;
  }
  if (found.type == DT_REG) {
    // The listing is the look before the open. A link put in the file's place since is not
    // followed here, but looked at below as any link is.
    const int fd = openat(found.at(), found.relative(), kReadFlags | O_NOFOLLOW);
    if (fd >= 0) return verify ? KeepIfRegular(fd, looked) : fd;
    if (errno != ELOOP) return -1;
  }
  // Looked at before the open, so that a FIFO or a device is never opened, and after it, so that
  // a file put in its place meanwhile is not read either.
  struct stat st;
  if (fstatat(found.at(), found.relative(), &st, 0) != 0) return -1;
  if (!S_ISREG(st.st_mode)) {
    errno = NotRegular(st);
    return -1;
  }
  const int fd = openat(found.at(), found.relative(), kReadFlags);
  if (fd < 0 || KeepIfRegular(fd, looked) < 0) return -1;
  if (IdOf(*looked) != IdOf(st)) {
    close(fd);
    errno = EBUSY;
    return -1;
  }
  return fd;
}

std::error_code FileReaders::ReadUpTo(const std::string& path, std::int64_t most,
                                      std::string& bytes) {
  bytes.clear();
  std::optional<struct stat> looked;
  const int fd = Open(path, /*verify=*/false, looked);
  if (fd < 0) return LastError();
  const std::error_code error = ReadOpened(fd, most, looked, bytes);
  close(fd);
  if (error) bytes.clear();
  return error;
}

void FileReaders::ReadEach(std::span<WholeRead> files) {
  std::vector<Found> listed;       // held, so that their folders stay open while they are read
  std::vector<std::size_t> which;  // the file each of them is
  for (std::size_t i = 0; i < files.size(); ++i) {
    WholeRead& file = files[i];
    file.bytes.clear();
    file.error.clear();
    if (HasNul(file.path)) continue;  // left to ReadUpTo, which knows no such file
    Found found = names_.Find(file.path);
    if (found.missing) {
      file.error = std::make_error_code(std::errc::no_such_file_or_directory);
    } else if (found.type == DT_REG && found.folder) {
      listed.push_back(std::move(found));
      which.push_back(i);
    }
  }
  std::vector<RingRead> reads(listed.size());
  for (std::size_t k = 0; k < listed.size(); ++k) {
    reads[k].folder = listed[k].at();
    reads[k].name = listed[k].relative();
    reads[k].first = static_cast<std::size_t>(std::min(files[which[k]].most + 1, kFirstPiece));
  }
  // The listing is the look before the open, as in Open.
  ring_.ReadFirstPieces(reads, kReadFlags | O_NOFOLLOW);
  std::vector<bool> read(files.size());
  for (std::size_t k = 0; k < reads.size(); ++k) {
    if (!reads[k].whole) continue;
    files[which[k]].bytes = std::move(reads[k].bytes);
    read[which[k]] = true;
  }
  // Everything else, a file read together but not whole included, the ordinary way.
  for (std::size_t i = 0; i < files.size(); ++i) {
    if (!read[i] && !files[i].error) {
      files[i].error = ReadUpTo(files[i].path, files[i].most, files[i].bytes);
    }
  }
}

}  // namespace mirelda::posix
