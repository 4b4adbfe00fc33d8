// What the parts of the POSIX file system share: errors as values, path texts taken apart, file
// identities, and the few Linux-only calls, each with the portable way it falls back to.
#pragma once

#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <functional>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>

namespace mirelda::posix {

/// errno as an error code.
inline std::error_code LastError() { return {errno, std::generic_category()}; }

/// Whether a path holds a NUL, which no file name can.
inline bool HasNul(const std::string& path) { return path.find('\0') != std::string::npos; }

/// A folder path as a cache key: no trailing or doubled separators, so that every spelling of one
/// folder finds the same entry. "/a//b/" => "/a/b".
std::string FolderKey(std::string_view path);

/// The parent and the name of a path, ignoring trailing separators. "a/b/c" => {"a/b", "c"},
/// "c" => {".", "c"}.
std::pair<std::string, std::string> SplitParent(std::string_view path);

/// A name in a folder. (".", "c") => "c", ("a/", "c") => "a/c".
std::string Join(const std::string& folder, const std::string& name);

/// A file's identity, the same however a path reaches it.
using FileId = std::pair<dev_t, ino_t>;

inline FileId IdOf(const struct stat& st) { return {st.st_dev, st.st_ino}; }

/// Calls `name_and_type` with every entry of the folder open as `fd` (read from its start, which
/// it must be at), its type as DT_REG, DT_DIR, ... or DT_UNKNOWN.
std::error_code ListNames(
    int fd, const std::function<void(std::string_view, unsigned char)>& name_and_type);

/// Writes all of `bytes` to `fd`.
std::error_code WriteAll(int fd, std::string_view bytes);

/// Opens a new file without a name, with `mode`, in the folder `folder` relative to the folder
/// open as `at` (AT_FDCWD: the working folder); -1 with errno EOPNOTSUPP where the system or the
/// file system cannot make one (Linux's O_TMPFILE).
int OpenUnnamedFile(int at, const char* folder, mode_t mode);

/// Gives the unnamed file open as `fd` the name `name`, relative to the folder open as `at`;
/// fails, rather than replace it, when that name is taken.
std::error_code LinkUnnamedFile(int fd, int at, const char* name);

/// Opens the parent of the folder open as `fd` only to look at it (Linux's O_PATH where there is
/// one); -1 with errno on failure.
int OpenParentFolder(int fd);

/// Makes everything written to the file system of the file open as `fd` durable (Linux's syncfs;
/// elsewhere the whole system's sync, which cannot fail).
std::error_code SyncFileSystem(int fd);

/// A mutex for the short holds of the file system's caches, which the workers of a run take
/// thousands of times a second: a thread that finds it held spins a little before it sleeps
/// (glibc's adaptive mutex), since going to sleep and being woken costs far more than the hold.
class ShortHoldMutex {
 public:
  ShortHoldMutex();
  ~ShortHoldMutex() { pthread_mutex_destroy(&mutex_); }
  ShortHoldMutex(const ShortHoldMutex&) = delete;
  ShortHoldMutex& operator=(const ShortHoldMutex&) = delete;

  void lock() { pthread_mutex_lock(&mutex_); }
  void unlock() { pthread_mutex_unlock(&mutex_); }
  bool try_lock() { return pthread_mutex_trylock(&mutex_) == 0; }

 private:
  pthread_mutex_t mutex_;
};

}  // namespace mirelda::posix
